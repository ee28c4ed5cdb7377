// The registry through which callbacks find their controller, and the
// lifetime of the process-wide lists that go with it.

#include "core/InstanceRegistry.h"
#include "core/ControllerFixture.h"

#include <atomic>
#include <memory>
#include <thread>

namespace vostrel {
namespace {

class InstanceRegistryTest : public ::testing::Test {
protected:
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
};

TEST_F(InstanceRegistryTest, ControllersTakeConsecutivePositionsAndAreFoundThere) {
  TVostrel first;
  TVostrel second;
  EXPECT_EQ(first.GetInstanceIndex(), 0);
  EXPECT_EQ(second.GetInstanceIndex(), 1);
  EXPECT_EQ(InstanceRegistry::Find(0), &first);
  EXPECT_EQ(InstanceRegistry::Find(1), &second);
  EXPECT_EQ(InstanceRegistry::Find(2), nullptr);
  EXPECT_EQ(InstanceRegistry::Find(-1), nullptr);
}

TEST_F(InstanceRegistryTest, PositionsAreNotReusedWhileAnyControllerLives) {
  TVostrel keeper;
  auto gone = std::make_unique<TVostrel>();
  const std::int32_t goneIndex = gone->GetInstanceIndex();
  gone.reset();
  EXPECT_EQ(InstanceRegistry::Find(goneIndex), nullptr);
  TVostrel next;
  EXPECT_NE(next.GetInstanceIndex(), goneIndex);
  EXPECT_EQ(InstanceRegistry::SlotCount(), 3u);
  EXPECT_EQ(InstanceRegistry::Find(keeper.GetInstanceIndex()), &keeper);
}

TEST_F(InstanceRegistryTest, LastControllerFreesRegistryAndDeviceLists) {
  {
    TVostrel first;
    TVostrel second;
    CDDeviceList().resize(2);
    PRDeviceList().resize(1);
    EOSDeviceList().push_back(&first);
  }
  EXPECT_FALSE(DeviceListsExist());
  EXPECT_EQ(InstanceRegistry::SlotCount(), 0u);

  TVostrel fresh;
  EXPECT_EQ(fresh.GetInstanceIndex(), 0);
  EXPECT_TRUE(DeviceListsExist());
  EXPECT_TRUE(CDDeviceList().empty());
  EXPECT_TRUE(PRDeviceList().empty());
  EXPECT_TRUE(EOSDeviceList().empty());
}

TEST_F(InstanceRegistryTest, BackendsReportProbeProgressToTheirController) {
  TVostrel controller;
  std::vector<std::int32_t> reported;
  controller.OnRemoteProbeParamEvent = [&](std::int32_t percent) { reported.push_back(percent); };
  TVostrel::ReportProbeProgress(controller.GetInstanceIndex(), 5);
  TVostrel::ReportProbeProgress(controller.GetInstanceIndex() + 1, 10); // nobody there
  TVostrel::ReportProbeProgress(controller.GetInstanceIndex(), 100);
  EXPECT_EQ(reported, (std::vector<std::int32_t>{5, 100}));
}

// A controller that removes itself waits while another removal holds the
// registry, polling in 50 ms steps, and stays findable until it is its turn.
TEST_F(InstanceRegistryTest, RemovalWaitsForTheRegistryBusyFlag) {
  TVostrel keeper;
  auto leaving = std::make_unique<TVostrel>();
  const std::int32_t index = leaving->GetInstanceIndex();
  platform::BusyFlag& busy = InstanceRegistry::RegistryBusy();
  ASSERT_TRUE(busy.tryAcquire());
  std::thread destroying([&] { leaving.reset(); });
  while (clock.sleeps() < 2) {
    std::this_thread::yield();
  }
  EXPECT_NE(InstanceRegistry::Find(index), nullptr);
  busy.release();
  destroying.join();
  EXPECT_EQ(InstanceRegistry::Find(index), nullptr);
  EXPECT_FALSE(busy.isSet());
  EXPECT_EQ(clock.slept().count() % 50, 0);
}

// Controllers come and go on several threads while callbacks look them up.
TEST_F(InstanceRegistryTest, LookupsFromOtherThreadsWhileControllersComeAndGo) {
  TVostrel keeper;
  std::atomic<bool> stop{false};
  std::atomic<int> seen{0};
  // At least one whole pass, even when the others are done before this
  // thread first runs: the keeper is then always found.
  std::thread looking([&] {
    do {
      for (std::int32_t index = 0; index < 8; ++index) {
        if (InstanceRegistry::Find(index) != nullptr) {
          ++seen;
        }
      }
    } while (!stop);
  });
  std::vector<std::thread> churning;
  for (int t = 0; t < 3; ++t) {
    churning.emplace_back([] {
      for (int i = 0; i < 20; ++i) {
        TVostrel temporary;
      }
    });
  }
  for (auto& thread : churning) {
    thread.join();
  }
  stop = true;
  looking.join();
  EXPECT_GT(seen, 0);
  EXPECT_EQ(InstanceRegistry::Find(keeper.GetInstanceIndex()), &keeper);
}

} // namespace
} // namespace vostrel
