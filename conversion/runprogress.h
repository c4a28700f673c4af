#pragma once

class RunHost;
struct RunState;

// Bar position after destination pixel (x, y) of file fileIndex; -1 when the
// queue is empty and the bar must not move.
int ProgressPosition(int fileIndex, int x, int y, int destWidth, int destHeight, int queueLength);

// The run's side of the resampler's per-pixel callback: moves the host's bar
// by the share of the current file, against the queue's live length, and
// pumps the host's events.
class RunProgress {
public:
    RunProgress(const RunState& state, RunHost& host) : state_(state), host_(host) {}

    void setFile(int index) { fileIndex_ = index; }
    void pixelDone(int x, int y, int width, int height);

private:
    const RunState& state_;
    RunHost& host_;
    int fileIndex_ = 0;
};
