#pragma once

#include <chrono>
#include <functional>

// Lets the window handle its pending events in the middle of a run. One pass
// of the event loop costs a few microseconds even when idle, more than a
// thumbnail pixel, so passes are at least a millisecond apart: the window
// stays just as live, and a run is not slowed down by its own pumping.
// Reading the clock costs about half a pixel: it is read on every
// kClockEvery-th call only.
class EventPump {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;
    static constexpr int kClockEvery = 16;

    explicit EventPump(Now now = &Clock::now) : now_(std::move(now)) {}

    void operator()();
    int passes() const { return passes_; }

private:
    Now now_;
    Clock::time_point last_{};
    bool pumped_ = false;
    unsigned calls_ = 0;
    int passes_ = 0;
};
