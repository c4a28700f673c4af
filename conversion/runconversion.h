#pragma once

class RunHost;
class RunObserver;
struct RunState;

// Converts every file of state.FileQueue, in order: load, scale into
// ThumbBitmap and, unless PreviewMode is set, write it under its output name.
// Every setting is read from the host when it is needed; the queue's length is
// read again for every file. Refuses an empty queue, and in a normal run a
// destination that is not an existing folder ("格納先を設定してください" through the
// host); both set RunFailed. Does nothing at all while a run is in progress
// (BusyFlags bit 0). Files that do not load are skipped (in a preview run
// RunFailed is set). An output that names a queued file is not written.
//
// A failed write throws ThumbnailCreateError and ends the run there; like any
// other end it leaves the queue empty, the bar at 0 and BusyFlags bit 0 clear.
void RunConversion(RunState& state, RunHost& host, RunObserver* observer = nullptr);
