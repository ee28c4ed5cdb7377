// A rig of sixteen cameras driven as a Visual Basic host drives it: sixteen
// controls created on one apartment thread, each connected to its own
// simulated EOS camera and to a sink of its own, the simulator announcing
// pictures and camera events on its own thread. Every picture arrives whole
// (byte for byte what its camera wrote to its card, marked with that
// camera's body ID and shot), every event reaches only its own control's
// sink, and a camera unplugged in the middle of a transfer (after the first
// block of its picture) leaves the other fifteen untouched.

#include "ComServerFixture.h"

#include "core/TempFolder.h"
#include "rig/RigFixture.h"

#include <algorithm>
#include <memory>
#include <thread>

namespace vostrel::test {
namespace {

constexpr DISPID OnEvent = 202;
constexpr DISPID OnRemoteEvent = 203;
constexpr DISPID OnRemoteTakePictureEvent = 204;
constexpr int Cameras = 16;
constexpr std::uint32_t EOSWillSoonShutDown = 0x0303;

// One control of the rig with its sink and the pictures it fetched.
struct Station {
  std::int32_t number = 0;
  IVostrelActiveXX* object = nullptr;
  RecordingSink sink;
  DWORD cookie = 0;
  std::vector<std::filesystem::path> fetched;

  std::size_t Count(DISPID id, std::int32_t first) const {
    return static_cast<std::size_t>(
        std::count_if(sink.events.begin(), sink.events.end(), [&](const RecordingSink::Event& e) {
          return e.id == id && !e.arguments.empty() &&
                 std::get<std::int32_t>(e.arguments.front()) == first;
        }));
  }
  std::size_t Announced() const {
    return static_cast<std::size_t>(
        std::count_if(sink.events.begin(), sink.events.end(), [](const RecordingSink::Event& e) {
          return e.id == OnRemoteEvent && e.arguments.size() == 4 &&
                 std::get<std::int32_t>(e.arguments[0]) == RemoteEventCallbackReleaseImageReady &&
                 std::get<std::int32_t>(e.arguments[3]) == TypeOfPicturePicture;
        }));
  }
};

class ComRig : public ComServer {
protected:
  void SetUp() override {
    ComServer::SetUp();
    Sim().clearFailures();
    Sim().loadScenario(RigScenario("eos", Cameras));
    Sim().setSynchronousCallbacks(false);
    for (std::int32_t i = 0; i < Cameras; ++i) {
      auto station = std::make_unique<Station>();
      station->number = i;
      station->object = CreateObject();
      ASSERT_NE(station->object, nullptr);
      if (i == 0) {
        ASSERT_EQ(Call(station->object, L"OpenCameraEnumeration").result, S_OK);
      }
      station->cookie = Advise(station->object, &station->sink);
      ASSERT_EQ(Call(station->object, L"Connect", {Variant(CamModEOS), Variant(i)}).result, S_OK);
      ASSERT_EQ(Call(station->object, L"RemoteStart",
                     {Variant(ReleaseModeBothPCAndCamera), Variant(ReleaseDataKindTakeOnlyPicture),
                      Variant::Bool(false), Variant(L"")})
                    .result,
                S_OK);
      stations.push_back(std::move(station));
    }
    Sim().waitIdle();
    PumpMessages();
  }

  void TearDown() override {
    Sim().clearFailures();
    for (auto& station : stations) {
      Call(station->object, L"Disconnect");
    }
    if (!stations.empty()) {
      Call(stations.front()->object, L"CloseCameraEnumeration");
    }
    Sim().waitIdle();
    PumpMessages();
    for (auto& station : stations) {
      Unadvise(station->object, station->cookie);
      EXPECT_EQ(station->sink.references, 0u) << "camera " << station->number;
    }
    ComServer::TearDown();
  }

  // Every station but `except` releases `pictures` times; the pictures are
  // announced from the simulator's thread and fetched as they come.
  void ShootAndFetch(int pictures, const Station* except = nullptr) {
    for (int shot = 0; shot < pictures; ++shot) {
      for (auto& station : stations) {
        if (station.get() != except) {
          ASSERT_EQ(Call(station->object, L"RemoteTakePicture").result, S_OK);
        }
      }
    }
    for (auto& station : stations) {
      if (station.get() == except) {
        continue;
      }
      const std::size_t wanted = station->fetched.size() + static_cast<std::size_t>(pictures);
      ASSERT_TRUE(PumpUntilAnnounced(*station, wanted)) << "camera " << station->number;
      while (station->fetched.size() < wanted) {
        Fetch(*station);
      }
    }
  }

  bool PumpUntilAnnounced(const Station& station, std::size_t count) {
    // The release events come as OnRemoteEvent; PumpUntil counts events of
    // a DISPID, so it waits for at least as many of those first.
    if (!PumpUntil(station.sink, OnRemoteEvent, count)) {
      return false;
    }
    for (int round = 0; round < 200 && station.Announced() < count; ++round) {
      Sim().waitIdle();
      PumpMessages();
    }
    return station.Announced() >= count;
  }

  void Fetch(Station& station) {
    const std::filesystem::path file =
        folder.path() /
        (std::to_string(station.number) + "-" + std::to_string(station.fetched.size()) + ".jpg");
    ASSERT_EQ(Call(station.object, L"RemoteGetPicture",
                   {Variant(file.wstring().c_str()), Variant(PictureTypeFull)})
                  .result,
              S_OK)
        << "camera " << station.number;
    station.fetched.push_back(file);
  }

  // Every fetched picture is the picture the camera's card holds, in order,
  // marked with the camera's body ID and its shot.
  void ExpectOwnPictures(const Station& station) {
    const std::vector<std::string> card = CardFiles(Sim(), station.number);
    ASSERT_EQ(card.size(), station.fetched.size()) << "camera " << station.number;
    EXPECT_EQ(station.Announced(), card.size()) << "camera " << station.number;
    for (std::size_t shot = 0; shot < card.size(); ++shot) {
      const std::vector<std::uint8_t> bytes = platform::readFile(station.fetched[shot].string());
      EXPECT_EQ(bytes, Sim().readFile(station.number, 0, card[shot]))
          << "camera " << station.number << " " << card[shot];
      const sim::ShotMark mark = MarkOfPicture(bytes);
      EXPECT_EQ(mark.bodyId, RigBodyIdBase + static_cast<std::uint32_t>(station.number));
      EXPECT_EQ(mark.shot, shot + 1);
    }
  }

  static nlohmann::json WorldCamera(int camera) {
    return nlohmann::json::parse(Sim().describeWorld()).at("eos").at("cameras").at(camera);
  }

  TempFolder folder;
  std::vector<std::unique_ptr<Station>> stations;
};

TEST_F(ComRig, SixteenControlsOnOneThreadEachGetTheirOwnPicturesAndEvents) {
  // Camera i asks i + 1 times to be kept awake, from a thread of the
  // camera's side; only its own control may answer.
  std::thread camerasSide([] {
    for (int round = 0; round < Cameras; ++round) {
      for (int camera = round; camera < Cameras; ++camera) {
        Sim().raiseEvent(camera, VOSTREL_SIM_STATE_EVENT, EOSWillSoonShutDown);
      }
    }
  });
  ShootAndFetch(3);
  camerasSide.join();
  Sim().waitIdle();
  PumpMessages();

  for (const auto& station : stations) {
    ExpectOwnPictures(*station);
    EXPECT_EQ(station->Count(OnEvent, EventSeverityClosing), 0u) << "camera " << station->number;
    EXPECT_EQ(WorldCamera(station->number).at("keepAwakeCount"), station->number + 1);
    // Every event was delivered on this, the controls' thread.
    EXPECT_EQ(station->sink.threadOfLastEvent, GetCurrentThreadId());
  }
}

TEST_F(ComRig, ACameraUnpluggedMidTransferLeavesTheOtherControlsUntouched) {
  ShootAndFetch(1);
  Station& unplugged = *stations[5];
  ASSERT_EQ(Call(unplugged.object, L"RemoteTakePicture").result, S_OK);
  ASSERT_TRUE(PumpUntilAnnounced(unplugged, 2));
  // The camera goes once the first block of its picture has arrived.
  Sim().clearCallLog();
  Sim().detachCameraDuring(unplugged.number, "EdsDownload");
  const std::size_t eventsBefore = unplugged.sink.events.size();
  const std::filesystem::path target = folder.path() / "unplugged.jpg";
  const DispatchOutcome failed =
      Call(unplugged.object, L"RemoteGetPicture",
           {Variant(target.wstring().c_str()), Variant(PictureTypeFull)});
  const std::vector<std::string> calls = Sim().callLogLines();
  const auto download = std::find_if(calls.begin(), calls.end(), [](const std::string& line) {
    return line.rfind("EdsDownload(", 0) == 0;
  });
  ASSERT_NE(download, calls.end());
  EXPECT_NE(download->find(") = 0x000000C1"), std::string::npos) << *download;
  EXPECT_EQ(std::count_if(
                calls.begin(), download,
                [](const std::string& line) { return line.rfind("callback Progress(", 0) == 0; }),
            1)
      << "the transfer broke off after its first block";
  EXPECT_NE(failed.result, S_OK);
  EXPECT_NE(failed.description.find(L"disconnected"), std::wstring::npos) << failed.description;
  EXPECT_FALSE(std::filesystem::exists(target));
  for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
    EXPECT_NE(entry.path().filename().wstring().front(), L'~') << entry.path();
  }
  Sim().waitIdle();
  PumpMessages();
  // The camera said it shut down, to its own control only; the control had
  // heard of the part of the picture that came before.
  EXPECT_EQ(unplugged.Count(OnEvent, EventSeverityClosing), 1u);
  std::vector<std::int32_t> progress;
  for (std::size_t i = eventsBefore; i < unplugged.sink.events.size(); ++i) {
    const RecordingSink::Event& event = unplugged.sink.events[i];
    if (event.id == OnRemoteTakePictureEvent && !event.arguments.empty()) {
      progress.push_back(std::get<std::int32_t>(event.arguments.front()));
    }
  }
  ASSERT_EQ(progress.size(), 1u);
  EXPECT_GT(progress[0], 0);
  EXPECT_LT(progress[0], 100);

  // The others go on shooting as if nothing happened.
  ShootAndFetch(2, &unplugged);
  Sim().waitIdle();
  PumpMessages();
  for (const auto& station : stations) {
    if (station.get() == &unplugged) {
      continue;
    }
    ExpectOwnPictures(*station);
    EXPECT_EQ(station->Count(OnEvent, EventSeverityClosing), 0u) << "camera " << station->number;
  }
}

} // namespace
} // namespace vostrel::test
