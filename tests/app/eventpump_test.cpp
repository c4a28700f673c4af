#include "app/eventpump.h"

#include <gtest/gtest.h>

#include <QTimer>

using namespace std::chrono_literals;

TEST(EventPump, HandlesPendingEventsOnlyWhenAMillisecondHasPassed) {
    EventPump::Clock::time_point now{};
    EventPump pump([&] { return now; });
    int fired = 0;
    const auto post = [&] { QTimer::singleShot(0, [&] { ++fired; }); };

    post();
    pump();  // the first call always handles events
    EXPECT_EQ(fired, 1);

    post();
    now += 999us;
    pump();
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(pump.passes(), 1);

    now += 1us;
    pump();
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(pump.passes(), 2);
}
