// The SDK handlers: translation of the SDKs' reports into component events,
// the PR release queue and picture file, the pause after progress reports,
// and silence for contexts whose controller is gone.

#include "core/ControllerFixture.h"
#include "core/InstanceRegistry.h"
#include "core/LittleEndian.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;
using S = EventSeverityType;
using E = EventEnumType;
using R = RemoteEventCallbackType;

struct FiredRemoteEvent {
  R event;
  AdditionNotifyRemoteEventType data;
};

PREventRecord PRRecord(std::uint16_t code, std::uint32_t parameter, std::uint8_t tag = 0) {
  PREventRecord record{};
  record[PREventCodeOffset] = static_cast<std::uint8_t>(code);
  record[PREventCodeOffset + 1] = static_cast<std::uint8_t>(code >> 8);
  for (int i = 0; i < 4; ++i) {
    record[PREventParameterOffset + static_cast<std::size_t>(i)] =
        static_cast<std::uint8_t>(parameter >> (8 * i));
  }
  record[PREventRecordSize - 1] = tag;
  return record;
}

class Handlers : public test::ControllerTest {
protected:
  void SetUp() override {
    controller.OnEvent = [this](EventCallbackType event) { events.push_back(event); };
    controller.OnRemoteEvent = [this](R event, const AdditionNotifyRemoteEventType& data) {
      remoteEvents.push_back({event, data});
    };
  }

  SDKContext Context() const { return static_cast<SDKContext>(controller.GetInstanceIndex()); }

  std::uint32_t CDEvent(std::uint32_t word, std::uint32_t data) {
    return TVostrel::CDCameraEventHandler(word, &data, 0, Context());
  }
  void Release(std::uint32_t code, std::uint32_t count) {
    TVostrel::ReleaseEventHandler(code, &count, 0, Context());
  }
  void PREvent(const PREventRecord& record) {
    TVostrel::PREventHandler(0, Context(), record.data());
  }

  std::vector<EventCallbackType> events;
  std::vector<FiredRemoteEvent> remoteEvents;
};

TEST_F(Handlers, CDEventsGiveSeverityAndEvent) {
  struct Case {
    std::uint32_t word;
    std::uint32_t data;
    S severity;
    E event;
  };
  const std::vector<Case> cases{
      {0x20001, 4, S::EventSeverityWarning, E::EventBatteryLevelWeak},
      {0x00001, 0x16, S::EventSeverityInfo, E::EventBatteryLevelNormal}, // low 4 bits only
      {0x40001, 3, S::EventSeverityClosing, E::EventBatteryLevelSafetyLow},
      {0x00001, 2, S::EventSeverityInfo, E::EventBatteryLevelLB},
      {0x00001, 5, S::EventSeverityInfo, E::EventNotUsed},
      {0x00002, 0, S::EventSeverityInfo, E::EventDialChanged},
      {0x10002, 0, S::EventSeverityNotUsed, E::EventDialChanged},
      {0xF0003, 0, S::EventSeverityNotUsed, E::EventCFGateOpened},
      {0x1220004, 0, S::EventSeverityWarning, E::EventBatteryCoverOpened}, // bits above 19 ignored
      {0x40006, 0, S::EventSeverityClosing, E::EventUnrecoverableError},
      {0x00007, 0, S::EventSeverityInfo, E::EventUnkonwnCommandReceived},
      {0x0000B, 0, S::EventSeverityInfo, E::EventRemoteParameterChanged},
      {0x4000D, 0, S::EventSeverityClosing, E::EventConnectionDisappeared},
      {0x0000C, 0, S::EventSeverityInfo, E::EventNotUsed},
      {0x00008, 0, S::EventSeverityInfo, E::EventNotUsed},
  };
  for (const Case& c : cases) {
    events.clear();
    EXPECT_EQ(CDEvent(c.word, c.data), 0u);
    ASSERT_EQ(events.size(), 1u) << std::hex << c.word;
    EXPECT_EQ(events[0].Severity, c.severity) << std::hex << c.word;
    EXPECT_EQ(events[0].Event, c.event) << std::hex << c.word;
  }
}

TEST_F(Handlers, CDShutdownWarningKeepsTheCameraAwakeInsteadOfAnEvent) {
  // Without a camera KeepCameraAwake is refused; the handler swallows that.
  EXPECT_EQ(CDEvent(0x20005, 0), 0u);
  SetConnection(CamModPowerShot, 0);
  EXPECT_EQ(CDEvent(0x00005, 0), 0u);
  EXPECT_TRUE(events.empty());
  // A battery event without data is no battery level.
  TVostrel::CDCameraEventHandler(0x00001, nullptr, 0, Context());
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Event, E::EventNotUsed);
}

TEST_F(Handlers, ReleaseCodesMapToRemoteEvents) {
  const std::vector<std::pair<std::uint32_t, R>> cases{
      {10, R::RemoteEventCallbackResetHWError},  {27, R::RemoteEventCallbackChangedByUI},
      {28, R::RemoteEventCallbackReleaseStart},  {30, R::RemoteEventCallbackCamReleaseOn},
      {32, R::RemoteEventCallbackViewfinderOff}, {33, R::RemoteEventCallbackViewfinderOn},
      {31, R::RemoteEventCallbackNotUsed},       {0, R::RemoteEventCallbackNotUsed},
  };
  for (const auto& [code, event] : cases) {
    remoteEvents.clear();
    Release(code, 6);
    ASSERT_EQ(remoteEvents.size(), 1u) << code;
    EXPECT_EQ(remoteEvents[0].event, event) << code;
    EXPECT_EQ(remoteEvents[0].data.EventValid,
              NotifyRemoteEventValidType::NoNotifyRemoteEventValid);
    EXPECT_EQ(remoteEvents[0].data.NumOfEvents, 0) << code;
  }
}

TEST_F(Handlers, ReleaseCompleteCountsPicturesOfTheReleaseMode) {
  struct Case {
    ReleaseModeType mode;
    ReleaseDataKindType kind;
    std::uint32_t count;
    std::int32_t pictures;
  };
  using M = ReleaseModeType;
  using K = ReleaseDataKindType;
  const std::vector<Case> cases{
      {M::ReleaseModeOnlyToPC, K::ReleaseDataKingTakeBothThumbAndPic, 3, 1},
      {M::ReleaseModeBothPCAndCamera, K::ReleaseDataKingTakeBothThumbAndPic, 4, 2},
      {M::ReleaseModeOnlyToPC, K::ReleaseDataKindTakeOnlyPicture, 3, 3},
      {M::ReleaseModeBothPCAndCamera, K::ReleaseDataKindTakeOnlyThumbnail, 1, 1},
      {M::ReleaseModeOnlyToCamera, K::ReleaseDataKindTakeOnlyPicture, 5, 0},
      {M::ReleaseModeOnlyToCamera, K::ReleaseDataKingTakeBothThumbAndPic, 4, 0},
  };
  for (const Case& c : cases) {
    MessageOf([&] { controller.RemoteStart(c.mode, c.kind, false, ""); }); // stores mode and kind
    remoteEvents.clear();
    Release(29, c.count);
    ASSERT_EQ(remoteEvents.size(), 1u);
    EXPECT_EQ(remoteEvents[0].event, R::RemoteEventCallbackReleaseComplete);
    EXPECT_EQ(remoteEvents[0].data.EventValid, NotifyRemoteEventValidType::NotifyRemoteEventValid1);
    EXPECT_EQ(remoteEvents[0].data.NumOfEvents, c.pictures) << c.count;
  }
}

TEST_F(Handlers, PRCameraEventsAndRemoteEventsAreIndependentSteps) {
  struct Case {
    std::uint16_t code;
    std::uint32_t parameter;
    std::vector<EventCallbackType> camera;
    std::vector<R> remote;
  };
  const std::vector<Case> cases{
      {0xC001, 0, {{S::EventSeverityClosing, E::EventCFGateOpened}}, {}},
      {0xC00A, 1, {{S::EventSeverityInfo, E::EventBatteryLevelNormal}}, {}},
      {0xC00A, 2, {{S::EventSeverityWarning, E::EventBatteryLevelWeak}}, {}},
      {0xC00A, 3, {{S::EventSeverityWarning, E::EventBatteryLevelSafetyLow}}, {}},
      {0xC00A, 4, {{S::EventSeverityClosing, E::EventBatteryLevelLB}}, {}},
      {0xC00A, 7, {{S::EventSeverityNotUsed, E::EventNotUsed}}, {}},
      {0xD001, 0, {{S::EventSeverityClosing, E::EventConnectionDisappeared}}, {}},
      {0x4006, 0, {}, {R::RemoteEventCallbackChangedByUI}},
      {0xC00C, 0, {}, {R::RemoteEventCallbackChangedByUI}},
      {0xC00E, 0, {}, {R::RemoteEventCallbackChangedByUI}},
      {0xC005, 0, {}, {R::RemoteEventCallbackResetHWError}},
      {0xC006, 0, {}, {R::RemoteEventCallbackViewfinderOff}},
      {0xC007, 0, {}, {R::RemoteEventCallbackViewfinderOn}},
      {0xC00B, 0, {}, {R::RemoteEventCallbackCamReleaseOn}},
      {0xC00D, 0, {}, {}},
      {0x0000, 0, {}, {}},
  };
  for (const Case& c : cases) {
    events.clear();
    remoteEvents.clear();
    PREvent(PRRecord(c.code, c.parameter));
    ASSERT_EQ(events.size(), c.camera.size()) << std::hex << c.code;
    for (std::size_t i = 0; i < events.size(); ++i) {
      EXPECT_EQ(events[i].Severity, c.camera[i].Severity) << std::hex << c.code;
      EXPECT_EQ(events[i].Event, c.camera[i].Event) << std::hex << c.code;
    }
    ASSERT_EQ(remoteEvents.size(), c.remote.size()) << std::hex << c.code;
    for (std::size_t i = 0; i < remoteEvents.size(); ++i) {
      EXPECT_EQ(remoteEvents[i].event, c.remote[i]) << std::hex << c.code;
    }
  }
  EXPECT_EQ(controller.PendingReleaseItemCount(), 0u);
}

TEST_F(Handlers, PRReleasedPicturesAreQueuedOnlyWhileRemoteEventsAreAssigned) {
  PREvent(PRRecord(0xC009, 0, 1));
  EXPECT_TRUE(remoteEvents.empty());
  PREvent(PRRecord(0xC008, 0, 2));
  ASSERT_EQ(remoteEvents.size(), 1u);
  EXPECT_EQ(remoteEvents[0].event, R::RemoteEventCallbackReleaseComplete);
  EXPECT_EQ(remoteEvents[0].data.EventValid, NotifyRemoteEventValidType::NotifyRemoteEventValid1);
  EXPECT_EQ(remoteEvents[0].data.NumOfEvents, 1);
  EXPECT_EQ(controller.PendingReleaseItemCount(), 2u);

  controller.OnRemoteEvent = nullptr;
  PREvent(PRRecord(0xC008, 0, 3));
  EXPECT_EQ(controller.PendingReleaseItemCount(), 2u);
}

// A failing receiver of the camera event does not cost the queued picture.
TEST_F(Handlers, FailingCameraEventReceiverDoesNotLoseTheRemoteStep) {
  controller.OnEvent = [](EventCallbackType) { throw std::runtime_error("receiver failed"); };
  controller.OnRemoteEvent = [this](R event, const AdditionNotifyRemoteEventType& data) {
    remoteEvents.push_back({event, data});
    throw ECamException("receiver failed too");
  };
  EXPECT_EQ(TVostrel::PREventHandler(0, Context(), PRRecord(0xC001, 0).data()), 0u);
  PREvent(PRRecord(0xC008, 0));
  EXPECT_EQ(remoteEvents.size(), 1u);
  EXPECT_EQ(controller.PendingReleaseItemCount(), 1u);
}

TEST_F(Handlers, PRRemoteGetPictureWithoutReleasedPictureFails) {
  test::TempFolder folder;
  SetConnection(CamModPowerShot, 0);
  SetRemoteMode(true);
  const std::string file = folder.file("picture.jpg");
  EXPECT_EQ(MessageOf([&] { controller.RemoteGetPicture(file, PictureTypeFull); }),
            "No released picture is waiting to be fetched");
  EXPECT_FALSE(platform::fileExists(file));
}

TEST_F(Handlers, PRRemoteGetPictureKeepsTheRecordWhenTheBackendFails) {
  test::TempFolder folder;
  SetConnection(CamModPowerShot, 0);
  SetRemoteMode(true);
  PREvent(PRRecord(0xC008, 0));
  const std::string file = folder.file("picture.jpg");
  // Without a camera the backend fails, for a reason that depends on what
  // the program did with PRSDK.DLL before.
  EXPECT_NE(MessageOf([&] { controller.RemoteGetPicture(file, PictureTypeFull); }), "");
  EXPECT_EQ(controller.PendingReleaseItemCount(), 1u);
  // Nothing is left under the name asked for, nor beside it.
  EXPECT_FALSE(platform::fileExists(file));
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
  EXPECT_FALSE(TVostrelTestAccess::PictureFileOpen(controller));
}

class PictureData : public Handlers {
protected:
  void Block(std::uint32_t percentage, const std::string& data) {
    PRProgressRecord record{};
    record.Percentage = percentage;
    record.Length = static_cast<std::int32_t>(data.size());
    record.Data = reinterpret_cast<const std::uint8_t*>(data.data());
    EXPECT_EQ(TVostrel::PRPictureDataHandler(0, 0, Context(), &record), 0u);
  }
  std::string Content(const std::string& file) {
    const std::vector<std::uint8_t> bytes = platform::readFile(file);
    return std::string(bytes.begin(), bytes.end());
  }
  test::TempFolder folder;
};

TEST_F(PictureData, BlocksAreWrittenAndTheFileClosesAtTheEndMark) {
  std::vector<std::int32_t> progress;
  controller.OnRemoteGetPictureEvent = [&](std::int32_t percent) { progress.push_back(percent); };
  const std::string file = folder.file("picture.jpg");
  TVostrelTestAccess::OpenPictureFile(controller, file);

  Block(0, ""); // an end mark before any data changes nothing
  EXPECT_TRUE(TVostrelTestAccess::PictureFileOpen(controller));
  Block(40, "abc");
  Block(80, "de");
  EXPECT_TRUE(TVostrelTestAccess::PictureFileOpen(controller));
  Block(100, "");
  EXPECT_FALSE(TVostrelTestAccess::PictureFileOpen(controller));
  Block(100, "late"); // nothing is open any more

  EXPECT_EQ(Content(file), "abcde");
  EXPECT_EQ(progress, (std::vector<std::int32_t>{0, 40, 80, 100, 100}));
  EXPECT_EQ(clock.slept(), platform::Milliseconds(50)); // 10 ms after every block
  EXPECT_TRUE(TVostrelTestAccess::ClosePictureFile(controller));
}

TEST_F(PictureData, DataIsWrittenWhenTheProgressReceiverFails) {
  controller.OnRemoteGetPictureEvent = [](std::int32_t) { throw ECamException("busy"); };
  const std::string file = folder.file("picture.jpg");
  TVostrelTestAccess::OpenPictureFile(controller, file);
  Block(50, "xyz");
  EXPECT_TRUE(TVostrelTestAccess::ClosePictureFile(controller));
  EXPECT_EQ(Content(file), "xyz");
}

TEST_F(Handlers, ViewfinderFramesArriveAsStreamsAtTheirStart) {
  std::vector<std::string> frames;
  controller.OnViewfinderEvent = [&](std::istream& jpeg) {
    frames.emplace_back(std::istreambuf_iterator<char>(jpeg), std::istreambuf_iterator<char>());
  };
  const std::string cd("\xFF\xD8 cd frame \xFF\xD9", 13);
  const std::string pr("\xFF\xD8 pr\0frame", 11);
  TVostrel::CDViewfinderHandler(reinterpret_cast<const std::uint8_t*>(cd.data()),
                                static_cast<std::uint32_t>(cd.size()), 0, Context());
  TVostrel::PRViewfinderHandler(0, Context(), static_cast<std::uint32_t>(pr.size()),
                                reinterpret_cast<const std::uint8_t*>(pr.data()));
  EXPECT_EQ(frames, (std::vector<std::string>{cd, pr}));
}

TEST_F(Handlers, ProgressHandlersFireTheirEventAndPause) {
  std::vector<std::string> fired;
  controller.OnRemoteGetPictureEvent = [&](std::int32_t p) {
    fired.push_back("remote get " + std::to_string(p));
  };
  controller.OnRemoteTakePictureEvent = [&](std::int32_t p) {
    fired.push_back("take " + std::to_string(p));
  };
  controller.OnGetPictureEvent = [&](std::int32_t p) {
    fired.push_back("get " + std::to_string(p));
  };
  TVostrel::RemoteGetPictureProgressHandler(10, 0, Context());
  TVostrel::TakePictureProgressHandler(20, 0, Context());
  TVostrel::GetPictureProgressHandler(30, 0, Context());
  EXPECT_EQ(fired, (std::vector<std::string>{"remote get 10", "take 20", "get 30"}));
  EXPECT_EQ(clock.slept(), platform::Milliseconds(30));

  // Unassigned, they only pause.
  controller.OnGetPictureEvent = nullptr;
  TVostrel::GetPictureProgressHandler(40, 0, Context());
  EXPECT_EQ(fired.size(), 3u);
  EXPECT_EQ(clock.slept(), platform::Milliseconds(40));
}

TEST_F(Handlers, EOSEventsAreTranslated) {
  std::int32_t index = controller.GetInstanceIndex();
  TVostrel::EOSPropertyEventHandler(0x0101, 0x100, 0, &index);
  TVostrel::EOSPropertyEventHandler(0x0102, 0x100, 0, &index);
  TVostrel::EOSPropertyEventHandler(0x0103, 0x100, 0, &index);
  TVostrel::EOSStateEventHandler(0x0301, 0, &index);
  TVostrel::EOSStateEventHandler(0x0303, 0, &index); // keeps awake; no camera: swallowed
  TVostrel::EOSStateEventHandler(0x0305, 0, &index);
  TVostrel::EOSStateEventHandler(0x0306, 0, &index);
  TVostrel::EOSStateEventHandler(0x0302, 0, &index);
  const std::vector<std::pair<S, E>> expected{
      {S::EventSeverityInfo, E::EventRemoteParameterChanged},
      {S::EventSeverityInfo, E::EventRemoteNewSupportedParameters},
      {S::EventSeverityClosing, E::EventRemoteShutdownReasonNotKnown},
      {S::EventSeverityClosing, E::EventRemoteCaptureError},
      {S::EventSeverityClosing, E::EventUnrecoverableError},
  };
  ASSERT_EQ(events.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(events[i].Severity, expected[i].first) << i;
    EXPECT_EQ(events[i].Event, expected[i].second) << i;
  }

  TVostrel::EOSObjectEventHandler(0x0208, nullptr, &index);
  TVostrel::EOSObjectEventHandler(0x0204, nullptr, &index);
  ASSERT_EQ(remoteEvents.size(), 1u);
  EXPECT_EQ(remoteEvents[0].event, R::RemoteEventCallbackReleaseImageReady);
  EXPECT_EQ(remoteEvents[0].data.EventValid, NotifyRemoteEventValidType::NotifyRemoteEventValid2);
  EXPECT_EQ(remoteEvents[0].data.TypeOfPicture, TypeOfPictureType::TypeOfPicturePicture);
  EXPECT_EQ(remoteEvents[0].data.NumOfEvents, 0);

  // No transfer is running: progress fires nothing and pauses.
  controller.OnRemoteTakePictureEvent = [](std::int32_t) { ADD_FAILURE(); };
  controller.OnGetPictureEvent = [](std::int32_t) { ADD_FAILURE(); };
  TVostrel::EOSProgressHandler(50, &index, nullptr);
  EXPECT_EQ(clock.slept(), platform::Milliseconds(10));
  EXPECT_EQ(TVostrel::EOSProgressHandler(50, nullptr, nullptr), 0u);
}

TEST_F(Handlers, NothingFiresWhileTheMatchingEventIsUnassigned) {
  controller.OnEvent = nullptr;
  controller.OnRemoteEvent = nullptr;
  std::int32_t index = controller.GetInstanceIndex();
  CDEvent(0x00002, 0);
  Release(29, 2);
  PREvent(PRRecord(0xC001, 0));
  TVostrel::EOSPropertyEventHandler(0x0101, 0, 0, &index);
  TVostrel::EOSStateEventHandler(0x0301, 0, &index);
  TVostrel::CDViewfinderHandler(nullptr, 0, 0, Context());
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(remoteEvents.empty());
}

TEST_F(Handlers, ContextOfADestroyedControllerDoesNothing) {
  auto gone = std::make_unique<TVostrel>();
  std::int32_t index = gone->GetInstanceIndex();
  const auto context = static_cast<SDKContext>(index);
  int fired = 0;
  gone->OnEvent = [&](EventCallbackType) { ++fired; };
  gone->OnRemoteEvent = [&](R, const AdditionNotifyRemoteEventType&) { ++fired; };
  gone->OnGetPictureEvent = [&](std::int32_t) { ++fired; };
  gone.reset();

  std::uint32_t data = 4;
  const PREventRecord record = PRRecord(0xC008, 0);
  PRProgressRecord progress{};
  EXPECT_EQ(TVostrel::CDCameraEventHandler(0x20001, &data, 0, context), 0u);
  EXPECT_EQ(TVostrel::ReleaseEventHandler(29, &data, 0, context), 0u);
  EXPECT_EQ(TVostrel::PREventHandler(0, context, record.data()), 0u);
  EXPECT_EQ(TVostrel::PRPictureDataHandler(0, 0, context, &progress), 0u);
  EXPECT_EQ(TVostrel::GetPictureProgressHandler(5, 0, context), 0u);
  EXPECT_EQ(TVostrel::EOSPropertyEventHandler(0x0101, 0, 0, &index), 0u);
  EXPECT_EQ(TVostrel::EOSStateEventHandler(0x0301, 0, &index), 0u);
  EXPECT_EQ(TVostrel::EOSObjectEventHandler(0x0208, nullptr, &index), 0u);
  EXPECT_EQ(TVostrel::EOSProgressHandler(5, &index, nullptr), 0u);
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(events.empty());
  EXPECT_TRUE(remoteEvents.empty());
  EXPECT_EQ(clock.sleeps(), 0);
}

// The SDK calls the event handler on its own thread while the host reads the
// queue; the queue is locked.
TEST_F(Handlers, ReleasedPicturesQueuedFromSeveralThreads) {
  controller.OnRemoteEvent = [](R, const AdditionNotifyRemoteEventType&) {};
  std::vector<std::thread> sdkThreads;
  for (int t = 0; t < 3; ++t) {
    sdkThreads.emplace_back([this] {
      for (int i = 0; i < 50; ++i) {
        PREvent(PRRecord(i % 2 == 0 ? 0xC008 : 0xC009, 0));
      }
    });
  }
  std::size_t seen = 0;
  while (seen < 150) {
    seen = controller.PendingReleaseItemCount();
    std::this_thread::yield();
  }
  for (auto& thread : sdkThreads) {
    thread.join();
  }
  EXPECT_EQ(controller.PendingReleaseItemCount(), 150u);
}


// A host that releases its controller from inside whatever event it gets,
// on the thread the SDK calls the handler on: each handler that fires an
// event touches the controller no more afterwards (the sanitizer sees any
// use of the freed controller).
TEST(ReleasedFromItsOwnEvent, NoHandlerTouchesTheControllerAfterTheEvent) {
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  test::TempFolder folder;
  const std::string data = "abc";
  PRProgressRecord block{};
  block.Percentage = 30;
  block.Length = static_cast<std::int32_t>(data.size());
  block.Data = reinterpret_cast<const std::uint8_t*>(data.data());
  std::uint32_t count = 1;
  const std::uint8_t frame[] = {0xFF, 0xD8, 0xFF, 0xD9};

  struct Case {
    const char* name;
    std::function<void(SDKContext context, void* eosContext)> call;
  };
  const std::vector<Case> cases{
      {"CD camera event",
       [&](SDKContext c, void*) { TVostrel::CDCameraEventHandler(0x00002, &count, 0, c); }},
      {"release event",
       [&](SDKContext c, void*) { TVostrel::ReleaseEventHandler(29, &count, 0, c); }},
      {"CD viewfinder",
       [&](SDKContext c, void*) { TVostrel::CDViewfinderHandler(frame, sizeof frame, 0, c); }},
      {"PR viewfinder",
       [&](SDKContext c, void*) { TVostrel::PRViewfinderHandler(0, c, sizeof frame, frame); }},
      {"remote picture progress",
       [&](SDKContext c, void*) { TVostrel::RemoteGetPictureProgressHandler(10, 0, c); }},
      {"take picture progress",
       [&](SDKContext c, void*) { TVostrel::TakePictureProgressHandler(10, 0, c); }},
      {"card picture progress",
       [&](SDKContext c, void*) { TVostrel::GetPictureProgressHandler(10, 0, c); }},
      {"PR camera event",
       [&](SDKContext c, void*) { TVostrel::PREventHandler(0, c, PRRecord(0xC00A, 2).data()); }},
      {"PR remote event",
       [&](SDKContext c, void*) { TVostrel::PREventHandler(0, c, PRRecord(0xC006, 0).data()); }},
      {"PR release complete",
       [&](SDKContext c, void*) { TVostrel::PREventHandler(0, c, PRRecord(0xC008, 0).data()); }},
      {"PR picture data",
       [&](SDKContext c, void*) { TVostrel::PRPictureDataHandler(0, 0, c, &block); }},
      {"EOS property event",
       [&](SDKContext, void* e) { TVostrel::EOSPropertyEventHandler(0x0101, 0x0B, 0, e); }},
      {"EOS state event",
       [&](SDKContext, void* e) { TVostrel::EOSStateEventHandler(0x0301, 0, e); }},
  };
  for (const Case& c : cases) {
    auto controller = std::make_unique<TVostrel>();
    int fired = 0;
    const auto release = [&] {
      ++fired;
      controller.reset();
    };
    controller->OnEvent = [&](EventCallbackType) { release(); };
    controller->OnRemoteEvent = [&](R, const AdditionNotifyRemoteEventType&) { release(); };
    controller->OnViewfinderEvent = [&](std::istream&) { release(); };
    controller->OnRemoteGetPictureEvent = [&](std::int32_t) { release(); };
    controller->OnRemoteTakePictureEvent = [&](std::int32_t) { release(); };
    controller->OnGetPictureEvent = [&](std::int32_t) { release(); };
    TVostrelTestAccess::OpenPictureFile(*controller, folder.file(std::string(c.name) + ".jpg"));
    const std::int32_t key = controller->GetInstanceIndex();
    c.call(static_cast<SDKContext>(key),
           const_cast<std::int32_t*>(InstanceRegistry::KeyAddress(key)));
    EXPECT_EQ(fired, 1) << c.name;
    EXPECT_EQ(controller, nullptr) << c.name;
  }
  // The block reached the file before the host let go.
  const std::vector<std::uint8_t> written = platform::readFile(folder.file("PR picture data.jpg"));
  EXPECT_EQ(std::string(written.begin(), written.end()), data);
}

} // namespace
} // namespace vostrel
