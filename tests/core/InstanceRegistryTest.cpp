// The registry through which callbacks find their controller, the keys that
// outlive their controllers, the wait for callbacks still running, and the
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

TEST_F(InstanceRegistryTest, ControllersTakeConsecutiveKeysAndAreFoundThere) {
  TVostrel first;
  TVostrel second;
  const std::int32_t key = first.GetInstanceIndex();
  EXPECT_GE(key, 0);
  EXPECT_EQ(second.GetInstanceIndex(), key + 1);
  EXPECT_EQ(InstanceRegistry::Find(key), &first);
  EXPECT_EQ(InstanceRegistry::Find(key + 1), &second);
  EXPECT_EQ(InstanceRegistry::Find(key + 2), nullptr);
  EXPECT_EQ(InstanceRegistry::Find(-1), nullptr);
  EXPECT_EQ(*InstanceRegistry::KeyAddress(key + 1), key + 1);
  EXPECT_EQ(InstanceRegistry::LiveCount(), 2u);
}

TEST_F(InstanceRegistryTest, PositionsAreNotReusedWhileAnyControllerLives) {
  TVostrel keeper;
  auto gone = std::make_unique<TVostrel>();
  const std::int32_t goneIndex = gone->GetInstanceIndex();
  gone.reset();
  EXPECT_EQ(InstanceRegistry::Find(goneIndex), nullptr);
  TVostrel next;
  EXPECT_NE(next.GetInstanceIndex(), goneIndex);
  EXPECT_EQ(InstanceRegistry::LiveCount(), 2u);
  EXPECT_EQ(InstanceRegistry::Find(keeper.GetInstanceIndex()), &keeper);
}

// A late callback may carry the key of any controller that ever lived, so a
// new controller never gets one of those, even after all of them are gone.
TEST_F(InstanceRegistryTest, LastControllerFreesTheDeviceListsButKeysGoOnCounting) {
  std::int32_t lastKey = 0;
  const std::int32_t* lastKeyCell = nullptr;
  {
    TVostrel first;
    TVostrel second;
    lastKey = second.GetInstanceIndex();
    lastKeyCell = InstanceRegistry::KeyAddress(lastKey);
    CDDeviceList().resize(2);
    PRDeviceList().resize(1);
    EOSDeviceList().push_back(&first);
  }
  EXPECT_FALSE(DeviceListsExist());
  EXPECT_EQ(InstanceRegistry::LiveCount(), 0u);
  EXPECT_EQ(InstanceRegistry::Find(lastKey), nullptr);
  // The cell stays where the EOS SDK was told it is.
  EXPECT_EQ(*lastKeyCell, lastKey);

  TVostrel fresh;
  EXPECT_GT(fresh.GetInstanceIndex(), lastKey);
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
  TVostrel::ReportProbeProgress(-1, 20);
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
  std::atomic<bool> mismatch{false};
  const std::int32_t first = keeper.GetInstanceIndex();
  std::thread looking([&] {
    do {
      for (std::int32_t key = first; key < first + 64; ++key) {
        // A controller found is alive until the visit ends.
        if (const TControllerVisit visit(key); visit) {
          ++seen;
          mismatch = mismatch || visit->GetInstanceIndex() != key;
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
  EXPECT_FALSE(mismatch);
  EXPECT_EQ(InstanceRegistry::Find(keeper.GetInstanceIndex()), &keeper);
}

// A callback that runs on the SDK's thread while the host releases the
// controller keeps it whole until the callback returns.
TEST_F(InstanceRegistryTest, ReleaseWaitsForACallbackRunningOnAnotherThread) {
  auto controller = std::make_unique<TVostrel>();
  const std::int32_t key = controller->GetInstanceIndex();
  std::atomic<bool> visiting{false};
  std::atomic<bool> released{false};
  bool wholeDuringRelease = false;
  std::thread sdk([&] {
    const TControllerVisit visit(key);
    ASSERT_TRUE(visit);
    visiting = true;
    // The release has begun once the key finds nobody for new callbacks.
    while (InstanceRegistry::Find(key) != nullptr) {
      std::this_thread::yield();
    }
    wholeDuringRelease = !released && visit->GetInstanceIndex() == key;
  });
  while (!visiting) {
    std::this_thread::yield();
  }
  controller.reset();
  released = true;
  sdk.join();
  EXPECT_TRUE(wholeDuringRelease);
  EXPECT_FALSE(TControllerVisit(key));
}

// A native host may release the controller from inside one of its events,
// on the thread of the callback: the release does not wait for itself.
TEST_F(InstanceRegistryTest, AControllerReleasedFromItsOwnEventDoesNotWaitForItself) {
  auto controller = std::make_unique<TVostrel>();
  const auto context = static_cast<SDKContext>(controller->GetInstanceIndex());
  int fired = 0;
  controller->OnEvent = [&](EventCallbackType) {
    ++fired;
    controller.reset();
  };
  std::uint32_t dial = 0;
  EXPECT_EQ(TVostrel::CDCameraEventHandler(0x00002, &dial, 0, context), 0u);
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(controller, nullptr);
  EXPECT_EQ(TVostrel::CDCameraEventHandler(0x00002, &dial, 0, context), 0u);
  EXPECT_EQ(fired, 1);
}

// The context an EOS handler gets is the address of the key's cell; it
// stays readable and finds nobody once the controller is gone, also when
// another controller has come since.
TEST_F(InstanceRegistryTest, AnEOSContextOutlivesItsControllerAndFindsNobodyElse) {
  auto controller = std::make_unique<TVostrel>();
  void* context =
      const_cast<std::int32_t*>(InstanceRegistry::KeyAddress(controller->GetInstanceIndex()));
  int fired = 0;
  controller->OnEvent = [&](EventCallbackType) { ++fired; };
  constexpr std::uint32_t PropertyChanged = 0x0101;
  TVostrel::EOSPropertyEventHandler(PropertyChanged, 0x0B, 0, context);
  EXPECT_EQ(fired, 1);
  controller.reset();

  TVostrel next;
  next.OnEvent = [&](EventCallbackType) { ++fired; };
  TVostrel::EOSPropertyEventHandler(PropertyChanged, 0x0B, 0, context);
  TVostrel::EOSStateEventHandler(0x0301, 0, context);
  TVostrel::EOSProgressHandler(50, context, nullptr);
  EXPECT_EQ(fired, 1);
  // An unknown key has a cell too, which finds nobody.
  EXPECT_EQ(*InstanceRegistry::KeyAddress(next.GetInstanceIndex() + 1000), -1);
}

} // namespace
} // namespace vostrel
