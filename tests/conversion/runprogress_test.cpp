#include "conversion/runprogress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "conversion/resampler.h"
#include "conversion/runstate.h"
#include "image/bitmap.h"
#include "tests/conversion/conversiontesthost.h"
#include "tests/support/imagecompare.h"

namespace {

// Scales a picture as file `index` of a queue of `queueLength` files, with
// the run's progress adapter between the resampler and the host.
void ScaleAsRunFile(TestHost& host, int index, int queueLength, const TBitmap& source, int size) {
    RunState state;
    state.FileQueue.assign(static_cast<size_t>(queueLength), "queued.bmp");
    RunProgress progress(state, host);
    progress.setFile(index);
    TBitmap dest;
    ScaleToThumbnail(dest, source, size, [&](int x, int y, int width, int height) {
        progress.pixelDone(x, y, width, height);
    });
}

}  // namespace

TEST(ResamplerProgress, ValuesOfTheExamples) {
    EXPECT_EQ(ProgressPosition(0, 0, 0, 160, 120, 1), 0);
    EXPECT_EQ(ProgressPosition(1, 159, 119, 160, 120, 3), 666);
    EXPECT_EQ(ProgressPosition(2, 0, 0, 160, 120, 3), 666);
    EXPECT_EQ(ProgressPosition(0, 159, 159, 160, 160, 1), 999);
    EXPECT_EQ(ProgressPosition(0, 3, 3, 160, 160, 0), -1);
}

TEST(ResamplerProgress, OneUpdateAndOnePumpPerPixelWithTheQueueReadEachTime) {
    TBitmap source = PositionCoded(320, 240, [](int x, int y) { return x + y; });
    TestHost host;
    ScaleAsRunFile(host, 1, 3, source, 160);
    ASSERT_EQ(host.pumps, 160 * 120);
    ASSERT_EQ(host.progress.size(), size_t(160 * 120));
    EXPECT_EQ(host.progress.front(), 333);
    EXPECT_EQ(host.progress.back(), 666);
    EXPECT_TRUE(std::is_sorted(host.progress.begin(), host.progress.end()));
}

TEST(ResamplerProgress, EmptyQueueLeavesTheBarAlone) {
    TBitmap source = PositionCoded(8, 8, [](int, int) { return 1; });
    TestHost host;
    ScaleAsRunFile(host, 0, 0, source, 4);
    EXPECT_TRUE(host.progress.empty());
    EXPECT_EQ(host.pumps, 16);
}

TEST(ResamplerProgress, AQueueGrowingDuringThePumpSlowsTheBar) {
    TBitmap source = PositionCoded(4, 4, [](int, int) { return 1; });
    TestHost host;
    RunState state;
    state.FileQueue = {"a.bmp"};
    RunProgress progress(state, host);
    host.onPump = [&] { state.FileQueue.push_back("more.bmp"); };
    TBitmap dest;
    ScaleToThumbnail(dest, source, 2, [&](int x, int y, int width, int height) {
        progress.pixelDone(x, y, width, height);
    });
    // Pixel k of 4 is reported against a queue of k + 1 files.
    EXPECT_EQ(host.progress, (std::vector<int>{0, 250 / 2, 500 / 3, 750 / 4}));
}
