// The clock seam and the busy flags that wait on it.

#include "platform/Clock.h"
#include "platform/BusyFlag.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

namespace vostrel::platform {
namespace {

using std::chrono_literals::operator""ms;

TEST(FakeClock, MovesOnlyWhenSleptOnOrAdvanced) {
  FakeClock fake;
  EXPECT_EQ(fake.now(), 0ms);
  fake.sleep(50ms);
  fake.sleep(10ms);
  fake.advance(1000ms);
  EXPECT_EQ(fake.now(), 1060ms);
  EXPECT_EQ(fake.slept(), 60ms);
  EXPECT_EQ(fake.sleeps(), 2);
}

TEST(ScopedClock, InstallsAndRestoresInNestedOrder) {
  Clock& system = clock();
  FakeClock outer;
  FakeClock inner;
  {
    ScopedClock useOuter(outer);
    EXPECT_EQ(&clock(), &outer);
    {
      ScopedClock useInner(inner);
      sleepFor(10ms);
    }
    EXPECT_EQ(&clock(), &outer);
    sleepFor(50ms);
  }
  EXPECT_EQ(&clock(), &system);
  EXPECT_EQ(inner.slept(), 10ms);
  EXPECT_EQ(outer.slept(), 50ms);
}

TEST(ScopedClock, SwapIsSafeWhileAnotherThreadWaits) {
  FakeClock fake;
  std::atomic<bool> done{false};
  std::thread sleeper([&] {
    while (!done) {
      sleepFor(0ms);
    }
  });
  for (int i = 0; i < 200; ++i) {
    ScopedClock useFake(fake);
    std::this_thread::yield();
  }
  done = true;
  sleeper.join();
  EXPECT_NE(&clock(), &fake);
}

class BusyFlagTest : public ::testing::Test {
protected:
  FakeClock fake;
  ScopedClock useFake{fake};
  BusyFlag flag;
};

TEST_F(BusyFlagTest, TestAndSetIsOneStep) {
  EXPECT_TRUE(flag.tryAcquire());
  EXPECT_TRUE(flag.isSet());
  EXPECT_FALSE(flag.tryAcquire());
  flag.release();
  EXPECT_FALSE(flag.isSet());
  flag.acquire();
  EXPECT_TRUE(flag.isSet());
  EXPECT_EQ(fake.sleeps(), 0) << "a clear flag is taken without waiting";
}

TEST_F(BusyFlagTest, WaiterPollsInFiftyMillisecondStepsUntilReleased) {
  ASSERT_TRUE(flag.tryAcquire());
  std::atomic<bool> acquired{false};
  std::thread waiter([&] {
    flag.acquire();
    acquired = true;
  });
  while (fake.sleeps() < 3) {
    std::this_thread::yield();
  }
  EXPECT_FALSE(acquired);
  flag.release();
  waiter.join();
  EXPECT_TRUE(acquired);
  EXPECT_TRUE(flag.isSet());
  EXPECT_GE(fake.sleeps(), 3);
  EXPECT_EQ(fake.slept(), fake.sleeps() * Milliseconds(BusyFlag::PollMilliseconds));
}

TEST_F(BusyFlagTest, GuardReleasesWhenItsScopeEndsByAnException) {
  EXPECT_THROW(
      {
        BusyGuard guard(flag);
        EXPECT_TRUE(flag.isSet());
        throw std::runtime_error("failed while held");
      },
      std::runtime_error);
  EXPECT_FALSE(flag.isSet());
}

TEST_F(BusyFlagTest, GuardsGiveMutualExclusion) {
  constexpr int Rounds = 300;
  int shared = 0; // deliberately not atomic: only the flag protects it
  int holders = 0;
  bool overlapped = false;
  auto work = [&] {
    for (int i = 0; i < Rounds; ++i) {
      BusyGuard guard(flag);
      overlapped = overlapped || ++holders != 1;
      ++shared;
      --holders;
    }
  };
  std::thread first(work);
  std::thread second(work);
  first.join();
  second.join();
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(shared, 2 * Rounds);
  EXPECT_FALSE(flag.isSet());
}

} // namespace
} // namespace vostrel::platform
