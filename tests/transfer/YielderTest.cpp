#include "transfer/Yielder.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(Yielder, PumpsAtOnceThenOnlyWhenTheIntervalHasPassed)
{
    int pumps = 0;
    transfer::Yielder yield([&] { ++pumps; }, std::chrono::milliseconds(20));
    for (int i = 0; i < 100000; ++i)
        yield();
    EXPECT_EQ(pumps, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(25));
    yield();
    yield();
    EXPECT_EQ(pumps, 2);
}

} // namespace
