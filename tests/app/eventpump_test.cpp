#include "app/eventpump.h"

#include <gtest/gtest.h>

#include <QTimer>

using namespace std::chrono_literals;

// Events are handled on the first call, then on a call that reads the clock
// (every kClockEvery-th) once a millisecond has passed.
TEST(EventPump, HandlesPendingEventsOnlyWhenAMillisecondHasPassed) {
    EventPump::Clock::time_point now{};
    EventPump pump([&] { return now; });
    int fired = 0;
    const auto post = [&] { QTimer::singleShot(0, [&] { ++fired; }); };
    const auto calls = [&](int count) {
        for (int i = 0; i < count; ++i) pump();
    };

    post();
    pump();
    EXPECT_EQ(fired, 1);

    post();
    now += 999us;
    calls(EventPump::kClockEvery);  // read, too early
    now += 1us;
    calls(EventPump::kClockEvery - 1);  // late enough, not read
    EXPECT_EQ(fired, 1);
    calls(1);
    EXPECT_EQ(fired, 2);
}
