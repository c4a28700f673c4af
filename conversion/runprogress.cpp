#include "conversion/runprogress.h"

#include <cstdint>

#include "conversion/runhost.h"
#include "conversion/runstate.h"

int ProgressPosition(int fileIndex, int x, int y, int destWidth, int destHeight, int queueLength) {
    if (queueLength <= 0 || destWidth <= 0 || destHeight <= 0) return -1;
    // 64-bit: the same values as 32-bit arithmetic within the window's sizes,
    // without overflow for the batch command's larger ones.
    const int64_t share = (int64_t{y} * destWidth + x) * 1000 / destWidth / destHeight;
    return static_cast<int>((int64_t{fileIndex} * 1000 + share) / queueLength);
}

void RunProgress::pixelDone(int x, int y, int width, int height) {
    // The queue may grow while the pump runs: its length is read every time.
    const int queueLength = static_cast<int>(state_.FileQueue.size());
    const int position = ProgressPosition(fileIndex_, x, y, width, height, queueLength);
    if (position >= 0) host_.setProgress(position);
    host_.pump();
}
