// A session with an older PowerShot (CD) camera through IDispatch, as a
// late-bound host drives it: remote mode with the parameter probe, the
// shooting parameters, a release and its transfer, with the probe, release
// and transfer progress and the release event at a C++ sink; and a failing
// SDK call returned as the host's error.

#include "ComServerFixture.h"

#include "core/TempFolder.h"
#include "support/SimulatedLibrary.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

namespace vostrel::test {
namespace {

constexpr DISPID OnRemoteEvent = 203;
constexpr DISPID OnRemoteTakePictureEvent = 204;
constexpr DISPID OnRemoteGetPictureEvent = 205;
constexpr DISPID OnRemoteProbeParamEvent = 207;

class CDSession : public ComServer {
protected:
  static sim::SimControlClient& CD() { return SimulatedLibrary("CDSDK.DLL"); }

  void SetUp() override {
    ComServer::SetUp();
    CD().clearFailures();
    CD().loadScenario(
        nlohmann::json{{"cd", {{"cameras", {{{"model", "Simulated Classic"}, {"owner", "Lab"}}}}}}}
            .dump());
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
