#include "app/eventpump.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

using namespace std::chrono_literals;

// A posted event is handled on the first call, then only on a call that
// reads the clock (every kClockEvery-th) once a millisecond has passed.
TEST(EventPump, HandlesPendingEventsOnlyWhenAMillisecondHasPassed) {
    EventPump::Clock::time_point now{};
    EventPump pump([&] { return now; });
    int fired = 0;
    QTimer::singleShot(0, [&] { ++fired; });
    pump();
    EXPECT_EQ(fired, 1);

    constexpr int every = EventPump::kClockEvery;
    const struct {
        std::chrono::microseconds advance;  // before the calls
        int calls;
        bool handled;  // the event posted before the calls
    } steps[] = {
        {999us, every, false},    // the clock is read, too early
        {1us, every - 1, false},  // late enough, the clock not read
        {0us, 1, true},           // read: the event is handled
        {5ms, every - 1, false},  // not read
        {0us, 1, true},
    };
    for (const auto& step : steps) {
        now += step.advance;
        fired = 0;
        QTimer::singleShot(0, [&] { ++fired; });
        for (int i = 0; i < step.calls; ++i) pump();
        EXPECT_EQ(fired, step.handled ? 1 : 0);
        QCoreApplication::processEvents();  // each step starts with nothing pending
    }
}
