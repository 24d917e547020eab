#include "commands/Yielder.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

TEST(Yielder, PumpsAtOnceThenOnlyWhenTheIntervalHasPassed)
{
    std::chrono::steady_clock::time_point now{};
    int pumps = 0;
    commands::Yielder yield([&] { ++pumps; }, 20ms, [&] { return now; });
    for (int i = 0; i < 1000; ++i)
        yield();
    EXPECT_EQ(pumps, 1);
    now += 19ms;
    yield();
    EXPECT_EQ(pumps, 1);
    now += 1ms;
    yield();
    yield();
    EXPECT_EQ(pumps, 2);
}

TEST(Yielder, TimeSpentInThePumpDoesNotCountTowardsTheNextInterval)
{
    std::chrono::steady_clock::time_point now{};
    int pumps = 0;
    commands::Yielder yield(
        [&] {
            ++pumps;
            now += 50ms; // a slow repaint
        },
        20ms, [&] { return now; });
    yield();
    now += 10ms;
    yield();
    EXPECT_EQ(pumps, 1);
    now += 10ms;
    yield();
    EXPECT_EQ(pumps, 2);
}

TEST(Yielder, AnEmptyPumpDoesNothing)
{
    commands::Yielder yield({});
    yield();
    SUCCEED();
}

} // namespace
