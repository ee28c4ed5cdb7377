// Connecting, numbering the PowerShot cameras and choosing their backend,
// and the serialisation of Connect across controllers and threads.

#include "core/ControllerFixture.h"
#include "core/InstanceRegistry.h"
#include "platform/DynamicLibrary.h"

#include <atomic>
#include <exception>
#include <functional>
#include <thread>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;

const std::string NoPRCamera = "There seems to be no connected PowerShot cameras (newer than S80) "
                               "connected. Have you called the EnumerateCameras function before "
                               "calling Connect?";

// The PR backend took the number and went on to the SDK, which has no camera
// for it here (or is not even loaded): any message but a refusal of the
// number.
bool ReachedPRBackend(const std::string& message) {
  return !message.empty() && message.rfind("Not valid value", 0) != 0 && message != NoPRCamera;
}

// The CD backend took the number and went on to its SDK, which knows no
// camera for the made-up device record here (or is not there at all).
bool ReachedCDBackend(const std::string& message) {
  return message.rfind("CDOpenSource errorcode 0x", 0) == 0 ||
         message == "CDSDK.DLL could not be loaded";
}

// The message of any error that the call raises; "" when it raises none. A
// missing CDSDK.DLL is an input/output error, not an ECamException.
std::string AnyMessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const std::exception& error) {
    return error.what();
  }
  return "";
}

std::string OnlyCameras(std::size_t count, std::int32_t number) {
  return "Not valid value in parameter ConnectToCamera when calling Connect. There are only " +
         std::to_string(count) +
         " PowerShot cameras connected. Currently is parameter ConnectToCamera = " +
         std::to_string(number);
}

class ControllerConnect : public test::ControllerTest {};

TEST_F(ControllerConnect, PowerShotNumbersBelowTheCDCountGoToTheCDBackend) {
  SetPowerShotCameras(1, 0);
  // Camera 0 is CD device 0, which exists: the CD backend accepts the number.
  const std::string cdCamera = AnyMessageOf([&] { controller.Connect(CamModPowerShot, 0); });
  EXPECT_TRUE(ReachedCDBackend(cdCamera)) << cdCamera;
  // Camera 1 is PR device 0; there is no PR camera.
  EXPECT_EQ(MessageOf([&] { controller.Connect(CamModPowerShot, 1); }), NoPRCamera);
}

TEST_F(ControllerConnect, PRDeviceNumberIsTheCameraNumberLessTheCDCount) {
  SetPowerShotCameras(1, 2);
  const std::string lastPRCamera = MessageOf([&] { controller.Connect(CamModPowerShot, 2); });
  EXPECT_TRUE(ReachedPRBackend(lastPRCamera)) << lastPRCamera;
  EXPECT_EQ(MessageOf([&] { controller.Connect(CamModPowerShot, 3); }), OnlyCameras(2, 2));
  SetPowerShotCameras(3, 2);
  EXPECT_EQ(MessageOf([&] { controller.Connect(CamModPowerShot, 6); }), OnlyCameras(2, 3));
}

TEST_F(ControllerConnect, NegativeNumbersAreRefusedByTheBackend) {
  SetPowerShotCameras(2, 0);
  EXPECT_EQ(MessageOf([&] { controller.Connect(CamModPowerShot, -1); }),
            "Not valid value in parameter ConnectToCamera when calling Connect. Value must be at "
            "least zero. Currently ConnectToCamera = -1");
}

TEST_F(ControllerConnect, FailedConnectKeepsTheNumberButConnectsNothing) {
  SetPowerShotCameras(1, 0);
  const std::string message = AnyMessageOf([&] { controller.Connect(CamModPowerShot, 0); });
  EXPECT_TRUE(ReachedCDBackend(message)) << message;
  EXPECT_EQ(controller.GetConnectInfo().CameraModel, CamModNone);
  EXPECT_EQ(controller.GetCameraNumber(), 0);
  EXPECT_FALSE(TVostrel::ConnectBusy().isSet());
}

TEST_F(ControllerConnect, FamilyNoneConnectsNothingAndReturnsTheCurrentRecord) {
  const ConnectInfoType info = controller.Connect(CamModNone, 4);
  EXPECT_EQ(info.CameraModel, CamModNone);
  EXPECT_EQ(controller.GetConnectInfo().CameraModel, CamModNone);
  EXPECT_EQ(controller.Connect(7, 0).CameraModel, CamModNone); // not a family at all
}

TEST_F(ControllerConnect, ConnectWhileConnectedLeavesTheConnectionAlone) {
  SetPowerShotCameras(2, 1);
  SetConnection(CamModPowerShot, 0);
  EXPECT_EQ(MessageOf([&] { controller.Connect(CamModPowerShot, 2); }),
            "Camera already connected.");
  EXPECT_EQ(controller.GetCameraNumber(), 0);
  EXPECT_EQ(controller.GetConnectInfo().CameraModel, CamModPowerShot);
  // The next operation still reaches the first camera's backend (CD: body ID 0).
  EXPECT_EQ(controller.GetBodyID(), 0u);
  EXPECT_FALSE(TVostrel::ConnectBusy().isSet());
}

// After Connect the backend is chosen afresh at every call from the current
// number of CD cameras. The CD backend has no body ID and asks its SDK for
// the card (whose source was never opened here); the PR backend asks its SDK
// for the body ID (which knows no such camera here) and refuses the card
// collection with a message of its own.
TEST_F(ControllerConnect, BackendIsChosenAfreshAtEveryCall) {
  SetConnection(CamModPowerShot, 1);
  SetPowerShotCameras(2, 0);
  EXPECT_EQ(controller.GetBodyID(), 0u);
  EXPECT_EQ(MessageOf([&] {
              controller.OpenCameraCollection("", false);
            }).rfind("CDEnumVolumeReset errorcode 0x", 0),
            0u);

  SetPowerShotCameras(1, 1);
  EXPECT_NE(MessageOf([&] { controller.GetBodyID(); }), "");
  EXPECT_EQ(MessageOf([&] { controller.OpenCameraCollection("", false); }),
            "OpenCameraCollection is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { controller.FormatCameraCard(); }),
            "FormatCameraCard is not supported for you camera.");
  ImageListType list;
  EXPECT_EQ(MessageOf([&] { controller.DeletePicture(list, 0); }),
            "DeletePicture is not supported for you camera.");
  EXPECT_EQ(MessageOf([&] { controller.GetPicture(0, true, "x.jpg"); }),
            "GetPicture is not supported for you camera.");
}

TEST_F(ControllerConnect, OwnerNameLengthIsCheckedByThePowerShotBackends) {
  SetConnection(CamModPowerShot, 0);
  // Camera 0 is the PR camera without CD cameras, else the CD camera. The PR
  // backend reports every SDK failure with a message of its own; the CD
  // backend reports a failed start of its property search as it is (its
  // source here was never opened).
  for (std::size_t cdCount : {0u, 1u}) {
    SetPowerShotCameras(cdCount, 1);
    const std::string accepted = MessageOf([&] { controller.SetOwnerName(std::string(31, 'a')); });
    if (cdCount == 0) {
      EXPECT_EQ(accepted, "It is not possible to set owner name in the current connected camera");
    } else {
      EXPECT_TRUE(accepted.rfind("CDEnumDevicePropertyReset errorcode 0x", 0) == 0 ||
                  accepted == "CDSDK.DLL could not be loaded")
          << accepted;
    }
    EXPECT_EQ(MessageOf([&] { controller.SetOwnerName(std::string(32, 'a')); }),
              "The owner name to set is too long");
  }
}

// A waiting Connect polls the busy flag in steps of 50 ms on the clock seam
// and goes on as soon as the flag is released.
TEST_F(ControllerConnect, ConnectWaitsForTheBusyFlag) {
  platform::BusyFlag& busy = TVostrel::ConnectBusy();
  ASSERT_TRUE(busy.tryAcquire());
  std::atomic<bool> done{false};
  std::thread connecting([&] {
    controller.Connect(CamModNone, 0);
    done = true;
  });
  while (clock.sleeps() < 3) {
    std::this_thread::yield();
  }
  EXPECT_FALSE(done);
  busy.release();
  connecting.join();
  EXPECT_TRUE(done);
  EXPECT_EQ(clock.slept().count() % 50, 0);
  EXPECT_FALSE(busy.isSet());
}

// Controllers on several threads connect at once: every Connect gets the
// flag in turn and gives it back, also when its backend refuses.
TEST_F(ControllerConnect, ConnectsFromSeveralThreadsEachReleaseTheFlag) {
  SetPowerShotCameras(1, 0);
  constexpr int Threads = 4;
  constexpr int Rounds = 25;
  std::vector<std::unique_ptr<TVostrel>> controllers;
  for (int i = 0; i < Threads; ++i) {
    controllers.push_back(std::make_unique<TVostrel>());
  }
  std::atomic<int> refusals{0};
  std::vector<std::thread> threads;
  for (auto& c : controllers) {
    threads.emplace_back([&refusals, &c] {
      for (int round = 0; round < Rounds; ++round) {
        // Camera 0 is CD device 0: the CD backend accepts the number and
        // its SDK refuses the connection.
        try {
          c->Connect(CamModPowerShot, 0);
        } catch (const std::exception&) {
          ++refusals;
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(refusals, Threads * Rounds);
  EXPECT_FALSE(TVostrel::ConnectBusy().isSet());
  EXPECT_EQ(clock.slept().count() % 50, 0);
}

class ControllerEnumeration : public test::ControllerTest {
protected:
  // Every test starts and ends with the SDKs stopped; their state is shared
  // by all controllers of the process.
  void SetUp() override { controller.CloseCameraEnumeration(); }
  void TearDown() override { controller.CloseCameraEnumeration(); }
};

TEST_F(ControllerEnumeration, ClosingStoppedSDKsDoesNothing) {
  EXPECT_EQ(MessageOf([&] { controller.CloseCameraEnumeration(); }), "");
  SetConnection(CamModPowerShot, 0);
  EXPECT_EQ(MessageOf([&] { controller.CloseCameraEnumeration(); }), "");
}

// The SDKs are either there (the simulated libraries of the build) or a start
// fails and the SDKs count as stopped, so the next enumeration starts again.
TEST_F(ControllerEnumeration, EnumerationFillsTheListsUntilTheyAreClosed) {
  SetPowerShotCameras(2, 1);
  if (!platform::DynamicLibrary::open("CDSDK.DLL") ||
      !platform::DynamicLibrary::open("EDSDK.DLL") ||
      !platform::DynamicLibrary::open("PRSDK.DLL")) {
    EXPECT_NE(AnyMessageOf([&] { controller.OpenCameraEnumeration(); }), "");
    EXPECT_NE(AnyMessageOf([&] { controller.OpenCameraEnumeration(); }), "");
    return;
  }
  const EnumerationListsType lists = controller.OpenCameraEnumeration();
  {
    const auto powerShot = lists.PowerShotNameList.lock();
    const auto eos = lists.EOSNameList.lock();
    ASSERT_TRUE(powerShot && eos);
    // The CD cameras first, then the PR cameras.
    EXPECT_EQ(powerShot->size(), CDDeviceList().size() + PRDeviceList().size());
    EXPECT_EQ(eos->size(), EOSDeviceList().size());
  }
  // A second enumeration refills the same lists.
  const EnumerationListsType again = controller.OpenCameraEnumeration();
  EXPECT_EQ(again.EOSNameList.lock(), lists.EOSNameList.lock());

  controller.CloseCameraEnumeration();
  EXPECT_TRUE(lists.PowerShotNameList.expired());
  EXPECT_TRUE(lists.EOSNameList.expired());
}

} // namespace
} // namespace vostrel
