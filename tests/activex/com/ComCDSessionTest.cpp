// A session with an older PowerShot (CD) camera through IDispatch, as a
// late-bound host drives it: remote mode with the parameter probe, the
// shooting parameters, a release and its transfer, with the probe, release
// and transfer progress and the release event at a C++ sink; the live
// functions with viewfinder frames at the sink on the object's thread; the
// card listed, downloaded and deleted; and a failing SDK call returned as
// the host's error.

#include "ComServerFixture.h"

#include "core/TempFolder.h"
#include "support/SimulatedLibrary.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vostrel::test {
namespace {

constexpr DISPID OnViewfinderEvent = 201;
constexpr DISPID OnRemoteEvent = 203;
constexpr DISPID OnRemoteTakePictureEvent = 204;
constexpr DISPID OnRemoteGetPictureEvent = 205;
constexpr DISPID OnGetPictureEvent = 206;
constexpr DISPID OnRemoteProbeParamEvent = 207;

class CDSession : public ComServer {
protected:
  static sim::SimControlClient& CD() { return SimulatedLibrary("CDSDK.DLL"); }

  void SetUp() override {
    ComServer::SetUp();
    CD().clearFailures();
    // Every live function (zoom up to 12, optical up to 5), small frames at
    // a high rate, three pictures on the card.
    const nlohmann::json camera = {
        {"model", "Simulated Classic"},
        {"owner", "Lab"},
        {"viewfinder", {{"width", 96}, {"height", 64}, {"framesPerSecond", 100}}},
        {"volumes",
         {{{"label", "CF"},
           {"files",
            {"DCIM/100_PSHT/IMG_0001.JPG", "DCIM/100_PSHT/IMG_0002.JPG",
             "DCIM/101_PSHT/IMG_0003.JPG"}}}}},
        {"properties",
         {{"ReleaseControlFaculty", 0x40000017}, {"MaximumZoom", 12}, {"MaximumOpticalZoom", 5}}}};
    CD().loadScenario(nlohmann::json{{"cd", {{"cameras", {camera}}}}}.dump());
    CD().setSynchronousCallbacks(false);
    object = CreateObject();
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(Call(object, L"OpenCameraEnumeration").result, S_OK);
    ASSERT_EQ(Call(object, L"Connect", {Variant(CamModPowerShot), Variant(0)}).result, S_OK);
    cookie = Advise(object, &sink);
  }

  void TearDown() override {
    CD().clearFailures();
    Call(object, L"RemoteEnd");
    Call(object, L"Disconnect");
    Call(object, L"CloseCameraEnumeration");
    CD().waitIdle();
    PumpMessages();
    Unadvise(object, cookie);
    ComServer::TearDown();
  }

  // The first argument of every event of that DISPID.
  std::vector<std::int32_t> Reports(DISPID id) const {
    std::vector<std::int32_t> values;
    for (const RecordingSink::Event& event : sink.events) {
      if (event.id == id) {
        values.push_back(std::get<std::int32_t>(event.arguments.at(0)));
      }
    }
    return values;
  }

  void Deliver() {
    CD().waitIdle();
    PumpMessages();
  }

  void StartRemote() {
    ASSERT_EQ(Call(object, L"RemoteStart",
                   {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                    Variant::Bool(false), Variant(L"")})
                  .result,
              S_OK);
  }

  static std::int32_t Number(const DispatchOutcome& outcome) {
    return outcome.value.vt == VT_I4 ? outcome.value.lVal : -1;
  }

  std::wstring Name(std::int32_t number) {
    return Text(Call(object, L"OpenCameraCollection_NameOfImage", {Variant(number)}).value.bstrVal);
  }

  static std::string Start(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(stream),
                            std::istreambuf_iterator<char>()};
    return bytes.substr(0, 2);
  }

  IVostrelActiveXX* object = nullptr;
  RecordingSink sink;
  DWORD cookie = 0;
  TempFolder folder;
};

TEST_F(CDSession, ProbeReleaseAndTransferReachTheSink) {
  ASSERT_EQ(Call(object, L"RemoteStart",
                 {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                  Variant::Bool(true), Variant(L"")})
                .result,
            S_OK);
  Deliver();
  const std::vector<std::int32_t> probe = Reports(OnRemoteProbeParamEvent);
  ASSERT_EQ(probe.size(), 16u);
  EXPECT_EQ(probe.front(), 6);
  EXPECT_EQ(probe.back(), 100);
  const DispatchOutcome apertures =
      Call(object, L"RemoteStart_GetRemoteParamSupported", {Variant(RemoteParamAv)});
  EXPECT_EQ(Text(apertures.value.bstrVal).substr(0, 17), L"00000000001111111");

  EXPECT_EQ(
      Call(object, L"RemoteSetRemoteParams", {Variant(RemoteParamWhiteBalanceSetting), Variant(2)})
          .result,
      S_OK);
  EXPECT_EQ(
      Call(object, L"RemoteGetRemoteParams", {Variant(RemoteParamWhiteBalanceSetting)}).value.lVal,
      2);

  ASSERT_EQ(Call(object, L"RemoteTakePicture").result, S_OK);
  Deliver();
  EXPECT_EQ(Reports(OnRemoteTakePictureEvent), (std::vector<std::int32_t>{50, 100}));
  const auto release = std::find_if(sink.events.begin(), sink.events.end(),
                                    [](const auto& event) { return event.id == OnRemoteEvent; });
  ASSERT_NE(release, sink.events.end());
  EXPECT_EQ(release->arguments.at(0),
            (std::variant<std::int32_t, std::wstring>{RemoteEventCallbackReleaseComplete}));
  EXPECT_EQ(release->arguments.at(2), (std::variant<std::int32_t, std::wstring>{1}));
  EXPECT_EQ(sink.threadOfLastEvent, GetCurrentThreadId());

  const std::filesystem::path file = folder.path() / "cd.jpg";
  ASSERT_EQ(Call(object, L"RemoteGetPicture", {Variant(file.wstring().c_str()), Variant(1)}).result,
            S_OK);
  Deliver();
  EXPECT_EQ(Reports(OnRemoteGetPictureEvent).back(), 100);
  EXPECT_GT(std::filesystem::file_size(file), 1000u);
}

TEST_F(CDSession, LiveFunctionsAndViewfinderFramesReachTheHost) {
  StartRemote();
  EXPECT_EQ(Call(object, L"RemoteStart_DoSupportZoom").value.boolVal, VARIANT_TRUE);
  EXPECT_EQ(Call(object, L"RemoteStart_DoSupportViewfinder").value.boolVal, VARIANT_TRUE);
  EXPECT_EQ(Call(object, L"RemoteStart_DoSupportAfLockUnlock").value.boolVal, VARIANT_TRUE);
  ASSERT_EQ(Call(object, L"RemoteSetZoomPos", {Variant(4)}).result, S_OK);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_CurrentZoomPos")), 4);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_MaxOpticalZoomPos")), 5);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_MaxZoomPos")), 12);
  const DispatchOutcome tooFar = Call(object, L"RemoteSetZoomPos", {Variant(13)});
  EXPECT_EQ(tooFar.result, DISP_E_EXCEPTION);
  EXPECT_EQ(tooFar.description, L"CDSetZoomPos errorcode 0x00000086, Device invalid parameter");
  EXPECT_EQ(Call(object, L"RemoteAFLock", {Variant::Bool(true)}).result, S_OK);
  EXPECT_EQ(Call(object, L"RemoteAFLock", {Variant::Bool(false)}).result, S_OK);

  // Frames come from the camera's thread; the sink hears of them on this one.
  ASSERT_EQ(Call(object, L"RemoteStartViewfinder").result, S_OK);
  ASSERT_TRUE(PumpUntil(sink, OnViewfinderEvent, 3));
  EXPECT_EQ(sink.threadOfLastEvent, GetCurrentThreadId());
  EXPECT_EQ(Call(object, L"RemoteActivateViewfinderAuto").result, S_OK);
  EXPECT_EQ(
      Call(object, L"RemoteSetViewfinderOutput", {Variant(RemoteViewFinderOutputVideo)}).result,
      S_OK);
  ASSERT_EQ(Call(object, L"RemoteStopViewfinder").result, S_OK);
  const auto frame = std::find_if(sink.events.rbegin(), sink.events.rend(),
                                  [](const auto& event) { return event.id == OnViewfinderEvent; });
  ASSERT_EQ(frame->arguments.size(), 1u);
  const std::wstring* fileName = std::get_if<std::wstring>(&frame->arguments[0]);
  ASSERT_NE(fileName, nullptr);
  EXPECT_EQ(std::filesystem::path(*fileName).filename(), L"0.jpg");
  EXPECT_EQ(Start(*fileName), "\xFF\xD8");
}

TEST_F(CDSession, ACardIsListedDownloadedAndDeleted) {
  ASSERT_EQ(Call(object, L"OpenCameraCollection",
                 {Variant(folder.path().wstring().c_str()), Variant::Bool(true)})
                .result,
            S_OK);
  EXPECT_EQ(Number(Call(object, L"OpenCameraCollection_GetNrOfPictures")), 3);
  EXPECT_EQ(Name(2), L"IMG_0003.JPG");
  const std::filesystem::path thumbnail = folder.path() / "thumb-1.jpg";
  ASSERT_EQ(Call(object, L"OpenCameraCollection_GetThumbnail",
                 {Variant(1), Variant(thumbnail.wstring().c_str())})
                .result,
            S_OK);
  EXPECT_EQ(Start(thumbnail), "\xFF\xD8");

  const std::filesystem::path picture = folder.path() / "picture.jpg";
  ASSERT_EQ(Call(object, L"GetPicture",
                 {Variant(2), Variant::Bool(false), Variant(picture.wstring().c_str())})
                .result,
            S_OK);
  Deliver();
  EXPECT_EQ(Reports(OnGetPictureEvent).back(), 100);
  EXPECT_EQ(Start(picture), "\xFF\xD8");

  ASSERT_EQ(Call(object, L"DeletePicture", {Variant(0)}).result, S_OK);
  EXPECT_EQ(Number(Call(object, L"OpenCameraCollection_GetNrOfPictures")), 2);
  EXPECT_EQ(Name(0), L"IMG_0002.JPG");
  const DispatchOutcome missing =
      Call(object, L"GetPicture", {Variant(2), Variant::Bool(false), Variant(L"x.jpg")});
  EXPECT_EQ(missing.result, DISP_E_EXCEPTION);
  EXPECT_EQ(missing.description, L"Requested download of picture 2 but max is only 1");
  const DispatchOutcome notThere = Call(object, L"DeletePicture", {Variant(2)});
  EXPECT_EQ(notThere.description, L"Not valid number of picture to delete");
  EXPECT_EQ(Call(object, L"CloseCameraCollection").result, S_OK);
  EXPECT_EQ(Number(Call(object, L"OpenCameraCollection_GetNrOfPictures")), 0);
}

TEST_F(CDSession, AFailingSDKCallIsTheHostsError) {
  ASSERT_EQ(Call(object, L"RemoteStart",
                 {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                  Variant::Bool(false), Variant(L"")})
                .result,
            S_OK);
  CD().injectFailure("CDRelease", 0x81, 0, 1);
  const DispatchOutcome failed = Call(object, L"RemoteTakePicture");
  EXPECT_EQ(failed.result, DISP_E_EXCEPTION);
  EXPECT_EQ(failed.description, L"CDRelease errorcode 0x00000081, Device busy");
  CD().injectFailure("CDEnterReleaseControl", 0x81, 0, 1);
  Call(object, L"RemoteEnd");
  const DispatchOutcome refused =
      Call(object, L"RemoteStart",
           {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
            Variant::Bool(false), Variant(L"")});
  EXPECT_EQ(refused.description, L"CDEnterReleaseControl errorcode 0x00000081, Device busy");
  EXPECT_EQ(Call(object, L"RemoteStart",
                 {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                  Variant::Bool(false), Variant(L"")})
                .result,
            S_OK);
}

} // namespace
} // namespace vostrel::test
