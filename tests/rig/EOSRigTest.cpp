// Many EOS cameras in one process, one controller each, driven from a thread
// per camera while the simulator announces pictures and delivers camera
// events on its own thread: every picture arrives whole at the controller of
// the camera that took it, camera events reach only their own controller,
// and a camera unplugged in the middle of a transfer leaves the others alone.

#include "RigFixture.h"

#include "support/MessageOf.h"
#include "support/SimulatedEDSDK.h"

#include <atomic>
#include <thread>

namespace vostrel::test {
namespace {

constexpr std::uint32_t EOSWillSoonShutDown = 0x0303;

// One camera of the rig as its host thread sees it.
struct RigCamera {
  std::int32_t number = 0;
  std::unique_ptr<TVostrel> controller = std::make_unique<TVostrel>();
  std::atomic<int> announced{0};
  std::atomic<int> closingEvents{0};
  std::vector<std::string> fetched;
  std::string failure; // the message of a fetch that failed
};

class EOSRig : public ::testing::Test {
protected:
  static sim::SimControlClient& Sim() { return SimulatedEDSDK(); }

  void TearDown() override {
    Sim().clearFailures();
    for (auto& camera : cameras) {
      if (camera->controller->GetConnectInfo().CameraModel != CamModNone) {
        try {
          camera->controller->Disconnect();
        } catch (const ECamException&) {
          // An unplugged camera may refuse; the controller forgets it all the same.
        }
      }
    }
    if (!cameras.empty()) {
      cameras.front()->controller->CloseCameraEnumeration();
    }
    cameras.clear();
  }

  // Loads a rig of `count` cameras and connects a controller to each, in
  // remote mode, keeping pictures on the card as well.
  void ConnectRig(int count) {
    Sim().loadScenario(RigScenario("eos", count));
    Sim().setSynchronousCallbacks(false);
    for (int i = 0; i < count; ++i) {
      auto camera = std::make_unique<RigCamera>();
      camera->number = i;
      RigCamera& self = *camera;
      camera->controller->OnRemoteEvent = [&self](RemoteEventCallbackType event,
                                                  const AdditionNotifyRemoteEventType& data) {
        if (event == RemoteEventCallbackType::RemoteEventCallbackReleaseImageReady &&
            data.TypeOfPicture == TypeOfPictureType::TypeOfPicturePicture) {
          ++self.announced;
        }
      };
      camera->controller->OnEvent = [&self](EventCallbackType event) {
        if (event.Severity == EventSeverityType::EventSeverityClosing) {
          ++self.closingEvents;
        }
      };
      if (i == 0) {
        camera->controller->OpenCameraEnumeration();
      }
      camera->controller->Connect(CamModEOS, i);
      camera->controller->RemoteStart(ReleaseModeType::ReleaseModeBothPCAndCamera,
                                      ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false,
                                      "");
      cameras.push_back(std::move(camera));
    }
    Sim().waitIdle();
  }

  // Takes `pictures` pictures and fetches each as soon as it is announced.
  void ShootAndFetch(RigCamera& camera, int pictures) {
    int taken = 0;
    while (camera.fetched.size() < static_cast<std::size_t>(pictures)) {
      if (taken < pictures) {
        camera.controller->RemoteTakePicture();
        ++taken;
      }
      if (camera.fetched.size() < static_cast<std::size_t>(camera.announced.load())) {
        const std::string file =
            folder.file(std::to_string(camera.number) + "-" +
                        std::to_string(camera.fetched.size()) + ".jpg");
        camera.controller->RemoteGetPicture(file, PictureTypeFull);
        camera.fetched.push_back(file);
      } else if (taken == pictures) {
        std::this_thread::yield();
      }
    }
  }

  // Every fetched picture of the camera is, byte for byte, the picture its
  // card holds, and carries the camera's body ID and the shot's number.
  void ExpectOwnPictures(const RigCamera& camera) {
    const std::vector<std::string> card = CardFiles(Sim(), camera.number);
    ASSERT_EQ(card.size(), camera.fetched.size()) << "camera " << camera.number;
    for (std::size_t shot = 0; shot < card.size(); ++shot) {
      const std::vector<std::uint8_t> bytes = platform::readFile(camera.fetched[shot]);
      EXPECT_EQ(bytes, Sim().readFile(camera.number, 0, card[shot]))
          << "camera " << camera.number << " " << card[shot];
      const sim::ShotMark mark = MarkOfPicture(bytes);
      EXPECT_EQ(mark.bodyId, RigBodyIdBase + static_cast<std::uint32_t>(camera.number));
      EXPECT_EQ(mark.shot, shot + 1);
    }
  }

  static nlohmann::json WorldCamera(int camera) {
    return nlohmann::json::parse(Sim().describeWorld()).at("eos").at("cameras").at(camera);
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  TempFolder folder;
  std::vector<std::unique_ptr<RigCamera>> cameras;
};

TEST_F(EOSRig, SixteenCamerasShootAndFetchConcurrentlyEachPictureAtItsOwnController) {
  constexpr int Cameras = 16;
  constexpr int Pictures = 6;
  ConnectRig(Cameras);

  // Camera i asks i + 1 times to be kept awake; only its own controller may
  // answer, with a keep-awake command to its own camera.
  std::thread events([] {
    for (int round = 0; round < Cameras; ++round) {
      for (int camera = round; camera < Cameras; ++camera) {
        Sim().raiseEvent(camera, VOSTREL_SIM_STATE_EVENT, EOSWillSoonShutDown);
      }
    }
  });
  std::vector<std::thread> hosts;
  for (auto& camera : cameras) {
    hosts.emplace_back([&, &camera = *camera] {
      try {
        ShootAndFetch(camera, Pictures);
      } catch (const ECamException& error) {
        camera.failure = error.what();
      }
    });
  }
  for (auto& host : hosts) {
    host.join();
  }
  events.join();
  Sim().waitIdle();

  for (const auto& camera : cameras) {
    EXPECT_EQ(camera->failure, "") << "camera " << camera->number;
    EXPECT_EQ(camera->announced.load(), Pictures) << "camera " << camera->number;
    EXPECT_EQ(camera->closingEvents.load(), 0);
    ExpectOwnPictures(*camera);
    EXPECT_EQ(WorldCamera(camera->number).at("keepAwakeCount"), camera->number + 1);
  }
}

TEST_F(EOSRig, ACameraUnpluggedMidTransferLeavesTheOthersUntouched) {
  constexpr int Cameras = 16;
  constexpr int Pictures = 4;
  ConnectRig(Cameras);
  RigCamera& unplugged = *cameras[5];
  unplugged.controller->RemoteTakePicture();
  Sim().waitIdle();
  std::atomic<bool> pulled{false};
  unplugged.controller->OnRemoteTakePictureEvent = [&](std::int32_t percent) {
    if (percent > 0 && !pulled.exchange(true)) {
      Sim().detachCamera(unplugged.number);
    }
  };

  std::vector<std::thread> hosts;
  for (auto& camera : cameras) {
    if (camera.get() == &unplugged) {
      continue;
    }
    hosts.emplace_back([&, &camera = *camera] {
      try {
        ShootAndFetch(camera, Pictures);
      } catch (const ECamException& error) {
        camera.failure = error.what();
      }
    });
  }
  const std::string target = folder.file("unplugged.jpg");
  const std::string message =
      MessageOf([&] { unplugged.controller->RemoteGetPicture(target, PictureTypeFull); });
  for (auto& host : hosts) {
    host.join();
  }
  Sim().waitIdle();

  EXPECT_TRUE(pulled.load());
  EXPECT_NE(message, "");
  // Nothing half-written lies under the name the host asked for.
  EXPECT_FALSE(platform::fileExists(target));
  EXPECT_EQ(unplugged.closingEvents.load(), 1);
  for (const auto& camera : cameras) {
    if (camera.get() == &unplugged) {
      continue;
    }
    EXPECT_EQ(camera->failure, "") << "camera " << camera->number;
    EXPECT_EQ(camera->closingEvents.load(), 0) << "camera " << camera->number;
    ExpectOwnPictures(*camera);
  }
}

TEST_F(EOSRig, SixtyFourCamerasEachDeliverTheirOwnPicture) {
  constexpr int Cameras = 64;
  ConnectRig(Cameras);
  for (auto& camera : cameras) {
    camera->controller->RemoteTakePicture();
  }
  Sim().waitIdle();
  for (auto& camera : cameras) {
    ASSERT_EQ(camera->announced.load(), 1) << "camera " << camera->number;
    const std::string file = folder.file(std::to_string(camera->number) + ".jpg");
    camera->controller->RemoteGetPicture(file, PictureTypeFull);
    camera->fetched.push_back(file);
    ExpectOwnPictures(*camera);
  }
}

} // namespace
} // namespace vostrel::test
