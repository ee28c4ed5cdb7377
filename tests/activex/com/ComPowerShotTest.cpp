// A PowerShot session through IDispatch, as a late-bound host runs it:
// remote control with the settings probed, zoom, focus lock, the viewfinder
// whose frames reach the host's sink on the object's thread as the frame
// file's name, a picture taken and fetched; and the sample script for
// PowerShot cameras under the script host.

#include "ComServerFixture.h"

#include "core/TempFolder.h"
#include "support/SimulatedLibrary.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vostrel::test {
namespace {

constexpr DISPID OnViewfinderEvent = 201;
constexpr DISPID OnRemoteEvent = 203;

const char* const PowerShotScenario = R"json({
  "pr": {
    "cameras": [
      {
        "model": "PowerShot Host",
        "owner": "Studio East",
        "viewfinder": { "width": 96, "height": 64, "framesPerSecond": 100 },
        "properties": { "Zoom": { "value": 0, "accepted": { "min": 0, "max": 20 } },
                        "DigitalZoomStart": 8 }
      }
    ]
  }
})json";

class PowerShotSession : public ComServer {
protected:
  void SetUp() override {
    ComServer::SetUp();
    SimulatedLibrary("PRSDK.DLL").loadScenario(PowerShotScenario);
    SimulatedLibrary("PRSDK.DLL").setSynchronousCallbacks(false);
    // The PR camera is the first PowerShot camera: no CD camera before it.
    try {
      SimulatedLibrary("CDSDK.DLL").loadScenario(R"({"cd": {"cameras": []}})");
    } catch (const std::runtime_error&) {
    }
    object = CreateObject();
    ASSERT_NE(object, nullptr);
  }

  IVostrelActiveXX* object = nullptr;
};

std::int32_t Number(const DispatchOutcome& outcome) {
  return outcome.value.vt == VT_I4 ? outcome.value.lVal : -1;
}

TEST_F(PowerShotSession, ALateBoundHostDrivesTheWholeSession) {
  RecordingSink sink;
  const DWORD cookie = Advise(object, &sink);
  ASSERT_EQ(Call(object, L"OpenCameraEnumeration").result, S_OK);
  ASSERT_EQ(Call(object, L"Connect", {Variant(CamModPowerShot), Variant(0)}).result, S_OK);
  EXPECT_EQ(Text(Call(object, L"Connect_CameraModelName").value.bstrVal), L"PowerShot Host");
  ASSERT_EQ(Call(object, L"RemoteStart",
                 {Variant(ReleaseModeOnlyToPC), Variant(ReleaseDataKindTakeOnlyPicture),
                  Variant::Bool(true), Variant(L"")})
                .result,
            S_OK);
  EXPECT_EQ(Call(object, L"RemoteStart_DoSupportZoom").value.boolVal, VARIANT_TRUE);
  EXPECT_EQ(Call(object, L"RemoteStart_DoSupportViewfinder").value.boolVal, VARIANT_TRUE);

  ASSERT_EQ(Call(object, L"RemoteSetZoomPos", {Variant(5)}).result, S_OK);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_CurrentZoomPos")), 5);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_MaxOpticalZoomPos")), 7);
  EXPECT_EQ(Number(Call(object, L"RemoteGetZoomPos_MaxZoomPos")), 20);
  EXPECT_EQ(Call(object, L"RemoteAFLock", {Variant::Bool(true)}).result, S_OK);
  EXPECT_EQ(Call(object, L"RemoteAFLock", {Variant::Bool(false)}).result, S_OK);

  // Frames come from the camera's thread; the sink hears of them on this one.
  ASSERT_EQ(Call(object, L"RemoteStartViewfinder").result, S_OK);
  ASSERT_TRUE(PumpUntil(sink, OnViewfinderEvent, 3));
  EXPECT_EQ(sink.threadOfLastEvent, GetCurrentThreadId());
  EXPECT_EQ(Call(object, L"RemoteActivateViewfinderAuto").result, S_OK);
  EXPECT_EQ(Call(object, L"RemoteSetViewfinderOutput", {Variant(RemoteViewFinderOutputOff)}).result,
            S_OK);
  ASSERT_EQ(Call(object, L"RemoteStopViewfinder").result, S_OK);
  const DispatchOutcome again = Call(object, L"RemoteStopViewfinder");
  EXPECT_EQ(again.result, DISP_E_EXCEPTION);
  EXPECT_EQ(again.description, L"Camera not in viewfinder mode");

  const auto frame = std::find_if(sink.events.rbegin(), sink.events.rend(),
                                  [](const auto& event) { return event.id == OnViewfinderEvent; });
  ASSERT_EQ(frame->arguments.size(), 1u);
  const std::wstring* fileName = std::get_if<std::wstring>(&frame->arguments[0]);
  ASSERT_NE(fileName, nullptr);
  EXPECT_EQ(std::filesystem::path(*fileName).filename(), L"0.jpg");
  std::ifstream file(std::filesystem::path(*fileName), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xD8");

  // A release is announced through the sink, then fetched.
  ASSERT_EQ(Call(object, L"RemoteTakePicture").result, S_OK);
  ASSERT_TRUE(PumpUntil(sink, OnRemoteEvent, 1));
  TempFolder folder;
  const std::wstring picture = (folder.path() / "powershot.jpg").wstring();
  ASSERT_EQ(Call(object, L"RemoteGetPicture", {Variant(picture.c_str()), Variant(PictureTypeFull)})
                .result,
            S_OK);
  EXPECT_GT(std::filesystem::file_size(folder.path() / "powershot.jpg"), 0u);

  EXPECT_EQ(Call(object, L"RemoteEnd").result, S_OK);
  EXPECT_EQ(Call(object, L"Disconnect").result, S_OK);
  EXPECT_EQ(Call(object, L"CloseCameraEnumeration").result, S_OK);
  PumpMessages();
  Unadvise(object, cookie);
}

} // namespace
} // namespace vostrel::test
