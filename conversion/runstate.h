#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/bitmap.h"

// The state a run shares with the windows. The program makes one, owned by
// the main window; the batch command makes one per file it converts at once.
struct RunState {
    static constexpr uint32_t kRunning = 1;  // BusyFlags bit 0

    std::vector<std::string> FileQueue;  // paths to convert, in order
    TBitmap ThumbBitmap;                 // the latest thumbnail, 24-bit
    TBitmap PreviewBitmap;               // the preview window's copy
    uint32_t PreviewFileAge = 0;         // DOS date-time of the previewed source
    uint32_t BusyFlags = 0;
    bool PreviewMode = false;    // make the thumbnail only: no check, no file
    bool RunFailed = false;      // the last run produced no thumbnail
    uint32_t SourceFileAge = 0;  // DOS date-time of the last loaded source

    bool running() const { return (BusyFlags & kRunning) != 0; }
};
