// The fault-injection sweep over the public operations of every camera family.
// Adding an operation is one entry in a family's table.

#include "FaultSweep.h"

#include "eos/EDSDKERRORS.h"
#include "platform/Clock.h"
#include "platform/TimeZone.h"
#include "powershot_cd/CDERRORCODES.h"
#include "powershot_pr/PRERROR.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <set>
#include <string>

namespace vostrel::test {

namespace {

// Runs the steps in order.
SweepStep Steps(std::initializer_list<SweepStep> steps) {
  return [all = std::vector<SweepStep>(steps)](SweepSession& session) {
    for (const SweepStep& step : all) {
      step(session);
    }
  };
}

// ---------------------------------------------------------------------------
// Steps shared by the families

constexpr TDateTime SomeTime = 45000.5; // 2023-03-15 12:00

SweepStep Connect(std::int32_t model) {
  return [model](SweepSession& s) { s.Controller->Connect(model, 0); };
}
const SweepStep Disconnect = [](SweepSession& s) { s.Controller->Disconnect(); };
const SweepStep Enumerate = [](SweepSession& s) { s.Controller->OpenCameraEnumeration(); };
const SweepStep CloseEnumeration = [](SweepSession& s) { s.Controller->CloseCameraEnumeration(); };
const SweepStep SetTime = [](SweepSession& s) { s.Controller->SetTimeInCamera(SomeTime); };
const SweepStep SetOwner = [](SweepSession& s) { s.Controller->SetOwnerName("Sweep"); };
const SweepStep BodyID = [](SweepSession& s) { s.Controller->GetBodyID(); };
const SweepStep Format = [](SweepSession& s) { s.Controller->FormatCameraCard(); };
const SweepStep RemoteSupported = [](SweepSession& s) { s.Controller->RemoteSupported(); };
const SweepStep KeepAwake = [](SweepSession& s) { s.Controller->KeepCameraAwake(); };

const SweepStep RemoteStart = [](SweepSession& s) {
  s.Controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
};
const SweepStep RemoteStartProbing = [](SweepSession& s) {
  s.Controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true,
                            s.File("cache"));
};
const SweepStep RemoteEnd = [](SweepSession& s) { s.Controller->RemoteEnd(); };
const SweepStep ShotsLeft = [](SweepSession& s) {
  s.Controller->RemoteGetNumberOfAvailableShots();
};
const SweepStep TakePicture = [](SweepSession& s) { s.Controller->RemoteTakePicture(); };
const SweepStep FetchPicture = [](SweepSession& s) {
  s.Controller->RemoteGetPicture(s.File("shot.jpg"), PictureTypeFull);
};
const SweepStep GetParams = [](SweepSession& s) { s.Controller->RemoteGetRemoteParams(s.Params); };
const SweepStep SetParams = [](SweepSession& s) { s.Controller->RemoteSetRemoteParams(s.Params); };
const SweepStep SaveParams = [](SweepSession& s) {
  s.Controller->RemoteSaveCameraRemoteParams(s.File("params.rmp"));
};
const SweepStep LoadParams = [](SweepSession& s) {
  s.Controller->RemoteLoadCameraRemoteParams(s.File("params.rmp"));
};

// ---------------------------------------------------------------------------
// EOS

const SweptFamily EOS{
    "EDSDK.DLL",
    R"({"eos": {"cameras": [{"model": "EOS Sweep", "owner": "Sweep", "volumes": [{"label": "CF",
        "files": ["DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2",
                  "DCIM/100EOS/IMG_0003.JPG", "DCIM/100EOS/IMG_0004.JPG",
                  "DCIM/100EOS/IMG_0005.JPG"]}]}]},
        "pr": {"cameras": []}, "cd": {"cameras": []}})",
    &CheckEdsError,
    {"EdsRelease", "EdsTerminateSDK"}};

const SweepStep ConnectEOS = Connect(CamModEOS);
const SweepStep OpenCollection = [](SweepSession& s) {
  s.Pictures = s.Controller->OpenCameraCollection(s.File("thumbnails"), true);
};
const SweepStep CloseCollection = [](SweepSession& s) {
  s.Controller->CloseCameraCollection(s.Pictures);
};
const SweepStep DownloadJPEG = [](SweepSession& s) {
  s.Controller->GetPicture(0, false, s.File("picture.jpg"));
};
const SweepStep DeleteLast = [](SweepSession& s) {
  s.Controller->DeletePicture(s.Pictures, static_cast<std::int32_t>(s.Pictures.size()) - 1);
};
// The card's RAW picture, downloaded to raw.CR2 without the camera staying
// connected.
const SweepStep DownloadRAW = [](SweepSession& s) {
  s.Controller->Connect(CamModEOS, 0);
  s.Pictures = s.Controller->OpenCameraCollection("", false);
  const auto raw = std::find_if(s.Pictures.begin(), s.Pictures.end(),
                                [](const ImageDataType& p) { return p.Name.ends_with(".CR2"); });
  s.Controller->GetPicture(static_cast<std::int32_t>(raw - s.Pictures.begin()), false,
                           s.File("raw.CR2"));
  s.Controller->CloseCameraCollection(s.Pictures);
  s.Controller->Disconnect();
};
const SweepStep OpenRAW = [](SweepSession& s) { s.Controller->OpenRAWObject(s.File("raw.CR2")); };
const SweepStep CloseRAW = [](SweepSession& s) { s.Controller->CloseRAWObject(); };
const SweepStep SetRAWParams = [](SweepSession& s) {
  s.Controller->SetRAWDevelopmentParameters(RAWDevelopParamsType{13, 5600});
};
const SweepStep GetRAWParams = [](SweepSession& s) {
  RAWDevelopParamsType params{};
  s.Controller->GetRAWDevelopmentParameters(params);
};
const SweepStep Develop = [](SweepSession& s) {
  s.Controller->DevelopRAWPicture(s.File("developed.tif"), FileFormatTIFF, BitsPerPixel24Bits, "",
                                  90);
};

const SweepStep EOSRemote = Steps({ConnectEOS, RemoteStart});
const SweepStep EOSRemoteEnd = Steps({RemoteEnd, Disconnect});

std::vector<SweptOperation> EOSOperations() {
  const std::string none;
  return {
      {"EOS OpenCameraEnumeration", &EOS, nullptr, Enumerate, nullptr, {}},
      {"EOS CloseCameraEnumeration",
       &EOS,
       nullptr,
       CloseEnumeration,
       nullptr,
       {{"EdsTerminateSDK", none}}},
      {"EOS Connect", &EOS, nullptr, ConnectEOS, Disconnect, {}},
      {"EOS Disconnect", &EOS, ConnectEOS, Disconnect, nullptr, {}},
      {"EOS SetTimeInCamera", &EOS, ConnectEOS, SetTime, Disconnect, {}},
      {"EOS SetOwnerName", &EOS, ConnectEOS, SetOwner, Disconnect, {}},
      {"EOS GetBodyID", &EOS, ConnectEOS, BodyID, Disconnect, {}},
      {"EOS FormatCameraCard", &EOS, ConnectEOS, Format, Disconnect, {}},
      {"EOS KeepCameraAwake", &EOS, ConnectEOS, KeepAwake, Disconnect, {}},
      {"EOS RemoteStart", &EOS, ConnectEOS, RemoteStart, EOSRemoteEnd, {}},
      // Values that cannot be read read as 0; the probe's trial writes only
      // narrow the table, and the settings written back afterwards are
      // passed over where refused. Only the first write, of where the
      // pictures go, is checked.
      {"EOS RemoteStart probing",
       &EOS,
       ConnectEOS,
       RemoteStartProbing,
       EOSRemoteEnd,
       {{"EdsGetPropertyData", none},
        {"EdsSetPropertyData", none},
        {"EdsSetPropertyData#0", "EdsSetPropertyData errorcode 0x00000002, Internal error"}}},
      {"EOS RemoteGetNumberOfAvailableShots", &EOS, EOSRemote, ShotsLeft, EOSRemoteEnd, {}},
      // The released picture's reference is given back by the event handler,
      // which reports no failure.
      {"EOS RemoteTakePicture", &EOS, EOSRemote, TakePicture, EOSRemoteEnd, {{"EdsRelease", none}}},
      // A failed fetch consumes the released picture: the next fetch needs a
      // new release. A failed file creation leaves the picture queued until
      // Disconnect.
      {"EOS RemoteGetPicture",
       &EOS,
       Steps({EOSRemote, TakePicture}),
       FetchPicture,
       EOSRemoteEnd,
       {},
       {},
       Steps({TakePicture, FetchPicture})},
      // Shooting parameters that cannot be read read as 0; failed writes are
      // passed over.
      {"EOS RemoteGetRemoteParams",
       &EOS,
       EOSRemote,
       GetParams,
       EOSRemoteEnd,
       {{"EdsGetPropertyData", none}}},
      {"EOS RemoteSetRemoteParams",
       &EOS,
       Steps({EOSRemote, GetParams}),
       SetParams,
       EOSRemoteEnd,
       {{"EdsSetPropertyData", none}}},
      {"EOS RemoteSaveCameraRemoteParams",
       &EOS,
       EOSRemote,
       SaveParams,
       EOSRemoteEnd,
       {{"EdsGetPropertyData", none}}},
      {"EOS RemoteLoadCameraRemoteParams",
       &EOS,
       Steps({EOSRemote, SaveParams}),
       LoadParams,
       EOSRemoteEnd,
       {{"EdsSetPropertyData", none}}},
      {"EOS OpenCameraCollection",
       &EOS,
       ConnectEOS,
       OpenCollection,
       Steps({CloseCollection, Disconnect}),
       {}},
      // Closing gives every reference back and forgets the collection even
      // when giving one back fails; the next collection opens as usual.
      {"EOS CloseCameraCollection",
       &EOS,
       Steps({ConnectEOS, OpenCollection}),
       CloseCollection,
       Disconnect,
       {},
       {},
       Steps({OpenCollection, CloseCollection})},
      {"EOS GetPicture",
       &EOS,
       Steps({ConnectEOS, OpenCollection}),
       DownloadJPEG,
       Steps({CloseCollection, Disconnect}),
       {}},
      {"EOS DeletePicture",
       &EOS,
       Steps({ConnectEOS, OpenCollection}),
       DeleteLast,
       Steps({CloseCollection, Disconnect}),
       {}},
      // The supported table is built by trial writes whose failures only
      // narrow the table.
      {"EOS OpenRAWObject",
       &EOS,
       DownloadRAW,
       OpenRAW,
       CloseRAW,
       {{"EdsSetPropertyData", none},
        // Restoring the picture's own white balance afterwards is checked.
        {"EdsSetPropertyData#12", "EdsSetPropertyData errorcode 0x00000002, Internal error"}}},
      {"EOS SetRAWDevelopmentParameters",
       &EOS,
       Steps({DownloadRAW, OpenRAW}),
       SetRAWParams,
       CloseRAW,
       {}},
      // A value that cannot be read reads as 0.
      {"EOS GetRAWDevelopmentParameters",
       &EOS,
       Steps({DownloadRAW, OpenRAW}),
       GetRAWParams,
       CloseRAW,
       {{"EdsGetPropertyData", none}}},
      {"EOS DevelopRAWPicture", &EOS, Steps({DownloadRAW, OpenRAW}), Develop, CloseRAW, {}},
      // Closing gives the image and its file back and forgets the object even
      // when giving one back fails; the SDK's end is not checked.
      {"EOS CloseRAWObject",
       &EOS,
       Steps({DownloadRAW, OpenRAW}),
       CloseRAW,
       nullptr,
       {{"EdsTerminateSDK", none}},
       {},
       Steps({OpenRAW, CloseRAW})},
  };
}

// ---------------------------------------------------------------------------
// PR

const SweptFamily PR{"PRSDK.DLL",
                     R"({"eos": {"cameras": []}, "cd": {"cameras": []},
        "pr": {"cameras": [{"model": "PowerShot Sweep", "owner": "Sweep"}]}})",
                     &CheckPRError,
                     {"PR_FinishSDK", "PR_DestroyCameraObject"}};

const SweepStep ConnectPR = Connect(CamModPowerShot);
const SweepStep PRRemote = Steps({ConnectPR, RemoteStart});
const SweepStep PRRemoteEnd = Steps({RemoteEnd, Disconnect});

// The live functions of the PowerShot families.
const SweepStep StartViewfinder = [](SweepSession& s) {
  s.Controller->OnViewfinderEvent = [](std::istream&) {};
  s.Controller->RemoteStartViewfinder();
};
const SweepStep StopViewfinder = [](SweepSession& s) { s.Controller->RemoteStopViewfinder(); };
const SweepStep ViewfinderOutput = [](SweepSession& s) {
  s.Controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo);
};
const SweepStep ViewfinderAuto = [](SweepSession& s) {
  s.Controller->RemoteActivateViewfinderAuto();
};
const SweepStep GetZoom = [](SweepSession& s) {
  ZoomPosType zoom{};
  s.Controller->RemoteGetZoomPos(zoom);
};
const SweepStep SetZoom = [](SweepSession& s) { s.Controller->RemoteSetZoomPos(2); };
const SweepStep LockFocus = [](SweepSession& s) { s.Controller->RemoteAFLock(true); };
const SweepStep UnlockFocus = [](SweepSession& s) { s.Controller->RemoteAFLock(false); };

std::vector<SweptOperation> PROperations() {
  const std::string none;
  const std::string setTime = "It is not possible to set time in the current connected camera";
  const std::string setOwner =
      "It is not possible to set owner name in the current connected camera";
  return {
      {"PR OpenCameraEnumeration", &PR, nullptr, Enumerate, nullptr, {}},
      {"PR CloseCameraEnumeration",
       &PR,
       nullptr,
       CloseEnumeration,
       nullptr,
       {{"PR_FinishSDK", none}}},
      {"PR Connect", &PR, nullptr, ConnectPR, Disconnect, {}},
      {"PR Disconnect", &PR, ConnectPR, Disconnect, nullptr, {{"PR_DestroyCameraObject", none}}},
      {"PR SetTimeInCamera",
       &PR,
       ConnectPR,
       SetTime,
       Disconnect,
       {{"PR_SetDevicePropValue", setTime}}},
      {"PR SetOwnerName",
       &PR,
       ConnectPR,
       SetOwner,
       Disconnect,
       {{"PR_SetDevicePropValue", setOwner}}},
      {"PR GetBodyID", &PR, ConnectPR, BodyID, Disconnect, {}},
      {"PR KeepCameraAwake", &PR, ConnectPR, KeepAwake, Disconnect, {}},
      // The shooting mode is set with its result ignored.
      {"PR RemoteStart",
       &PR,
       ConnectPR,
       RemoteStart,
       PRRemoteEnd,
       {{"PR_SetDevicePropValue#1", none}}},
      // Only the release destination's write is checked: the shooting modes
      // that RemoteStart and the probe switch to are set with their results
      // ignored.
      {"PR RemoteStart probing",
       &PR,
       ConnectPR,
       RemoteStartProbing,
       PRRemoteEnd,
       {{"PR_SetDevicePropValue", none},
        {"PR_SetDevicePropValue#0", "PR_SetDevicePropValue errorcode 0x00000002, Internal error"}}},
      // Remote mode ends even when the camera does not confirm it, so the
      // next RemoteEnd is refused; the next RemoteStart works.
      {"PR RemoteEnd",
       &PR,
       PRRemote,
       RemoteEnd,
       Disconnect,
       {},
       {},
       Steps({RemoteStart, RemoteEnd})},
      {"PR RemoteGetNumberOfAvailableShots", &PR, PRRemote, ShotsLeft, PRRemoteEnd, {}},
      {"PR RemoteTakePicture", &PR, PRRemote, TakePicture, PRRemoteEnd, {}},
      {"PR RemoteGetPicture", &PR, Steps({PRRemote, TakePicture}), FetchPicture, PRRemoteEnd, {}},
      // Parameters that cannot be read read as 0; failed writes are passed over.
      {"PR RemoteGetRemoteParams",
       &PR,
       PRRemote,
       GetParams,
       PRRemoteEnd,
       {{"PR_GetDevicePropValue", none}}},
      {"PR RemoteSetRemoteParams",
       &PR,
       Steps({PRRemote, GetParams}),
       SetParams,
       PRRemoteEnd,
       {{"PR_SetDevicePropValue", none}}},
      {"PR RemoteSaveCameraRemoteParams",
       &PR,
       PRRemote,
       SaveParams,
       PRRemoteEnd,
       {{"PR_GetDevicePropValue", none}}},
      {"PR RemoteLoadCameraRemoteParams",
       &PR,
       Steps({PRRemote, SaveParams}),
       LoadParams,
       PRRemoteEnd,
       {{"PR_SetDevicePropValue", none}}},
      {"PR RemoteStartViewfinder",
       &PR,
       PRRemote,
       StartViewfinder,
       Steps({StopViewfinder, RemoteEnd, Disconnect}),
       {}},
      // The viewfinder is off even when the camera does not confirm it; the
      // next one starts as usual.
      {"PR RemoteStopViewfinder",
       &PR,
       Steps({PRRemote, StartViewfinder}),
       StopViewfinder,
       PRRemoteEnd,
       {{"PR_RC_TermViewFinder", "PR_RC_TermViewfinder errorcode 0x00000002, Internal error"}},
       {},
       Steps({StartViewfinder, StopViewfinder})},
      // The camera's answer to an output change is not looked at.
      {"PR RemoteSetViewfinderOutput",
       &PR,
       Steps({PRRemote, StartViewfinder}),
       ViewfinderOutput,
       Steps({StopViewfinder, RemoteEnd, Disconnect}),
       {{"PR_SetDevicePropValue", none}}},
      {"PR RemoteActivateViewfinderAuto",
       &PR,
       Steps({PRRemote, StartViewfinder}),
       ViewfinderAuto,
       Steps({StopViewfinder, RemoteEnd, Disconnect}),
       {}},
      {"PR RemoteGetZoomPos", &PR, PRRemote, GetZoom, PRRemoteEnd, {}},
      {"PR RemoteSetZoomPos", &PR, PRRemote, SetZoom, PRRemoteEnd, {}},
      {"PR RemoteAFLock lock", &PR, PRRemote, LockFocus, PRRemoteEnd, {}},
      {"PR RemoteAFLock unlock", &PR, Steps({PRRemote, LockFocus}), UnlockFocus, PRRemoteEnd, {}},
  };
}

// ---------------------------------------------------------------------------
// CD

// The camera offers every live function and has pictures on its card.
const SweptFamily CD{"CDSDK.DLL",
                     R"({"eos": {"cameras": []}, "pr": {"cameras": []},
        "cd": {"cameras": [{"model": "PowerShot Sweep CD",
          "properties": {"ReleaseControlFaculty": 1073741847},
          "volumes": [{"label": "CF", "files": ["DCIM/100_PSHT/IMG_0001.JPG",
                                               "DCIM/100_PSHT/IMG_0002.JPG"]}]}]}})",
                     &CheckCDError,
                     {"CDFinishSDK", "CDCloseSource", "CDEnumDeviceRelease",
                      "CDEnumDevicePropertyRelease", "CDEnumVolumeRelease",
                      "CDEnumImageFormatAttributeRelease", "CDEnumShootingModeRelease",
                      "CDEnumAvValueRelease", "CDEnumTvValueRelease", "CDEnumExposureCompRelease",
                      "CDEnumWBSettingRelease", "CDEnumAFDistanceSettingRelease",
                      "CDEnumFlashSettingRelease", "CDEnumRelCamSettingDataRelease",
                      "CDEnumImageItemRelease", "CDCloseImage", "CDFreeImageItem"}};

// The shooting parameters' calls go unchecked: a value that cannot be read
// reads as 0, a refused write or trial is passed over, and a parameter whose
// values cannot be listed is probed by trial.
std::map<std::string, std::string> UncheckedCDParameterCalls() {
  std::map<std::string, std::string> silent;
  for (const std::string kind :
       {"ImageFormatAttribute", "ShootingMode", "AvValue", "TvValue", "ExposureComp", "WBSetting",
        "AFDistanceSetting", "FlashSetting", "RelCamSettingData"}) {
    for (const std::string& call : {"CDGet" + kind, "CDSet" + kind, "CDEnum" + kind + "Reset"}) {
      silent[call] = "";
    }
  }
  return silent;
}

const SweepStep ConnectCD = Connect(CamModPowerShot);
const SweepStep CDRemote = Steps({ConnectCD, RemoteStart});
const SweepStep CDRemoteEnd = Steps({RemoteEnd, Disconnect});
const SweepStep CDViewfinder = Steps({CDRemote, StartViewfinder});
const SweepStep CDViewfinderEnd = Steps({StopViewfinder, RemoteEnd, Disconnect});
// The SDK writes the thumbnails into the session's folder.
const SweepStep OpenCDCollection = [](SweepSession& s) {
  s.Pictures = s.Controller->OpenCameraCollection(s.Folder.path().string(), true);
};

std::vector<SweptOperation> CDOperations() {
  const std::string none;
  const std::string setTime = "It is not possible to set time in the current connected camera";
  const std::string setOwner =
      "It is not possible to set owner name in the current connected camera";
  // Enumerations are given back with their results ignored.
  const std::string release = "CDEnumDevicePropertyRelease";
  const std::string count = "CDGetDevicePropertyCount";
  return {
      {"CD OpenCameraEnumeration", &CD, nullptr, Enumerate, nullptr, {}},
      {"CD CloseCameraEnumeration",
       &CD,
       nullptr,
       CloseEnumeration,
       nullptr,
       {{"CDFinishSDK", none}}},
      // A property count that cannot be read leaves the search bounded by
      // its own limit.
      {"CD Connect", &CD, nullptr, ConnectCD, Disconnect, {{release, none}, {count, none}}},
      {"CD Disconnect", &CD, ConnectCD, Disconnect, nullptr, {}},
      {"CD SetTimeInCamera",
       &CD,
       ConnectCD,
       SetTime,
       Disconnect,
       {{"CDEnumDevicePropertyNext", setTime},
        {"CDSetDevicePropertyData", setTime},
        {release, none},
        {count, none}}},
      {"CD SetOwnerName",
       &CD,
       ConnectCD,
       SetOwner,
       Disconnect,
       {{"CDEnumDevicePropertyNext", setOwner},
        {"CDSetDevicePropertyData", setOwner},
        {release, none},
        {count, none}}},
      {"CD FormatCameraCard", &CD, ConnectCD, Format, Disconnect, {{"CDEnumVolumeRelease", none}}},
      // A camera that cannot tell is taken to be capable.
      {"CD RemoteSupported",
       &CD,
       ConnectCD,
       RemoteSupported,
       Disconnect,
       {{"CDGetReleaseControlFaculty", none}}},
      {"CD KeepCameraAwake",
       &CD,
       ConnectCD,
       KeepAwake,
       Disconnect,
       {{release, none}, {count, none}}},
      {"CD RemoteStart", &CD, ConnectCD, RemoteStart, CDRemoteEnd, {}},
      {"CD RemoteStart probing", &CD, ConnectCD, RemoteStartProbing, CDRemoteEnd,
       UncheckedCDParameterCalls()},
      // Remote mode ends even when the camera does not confirm it, so the
      // next RemoteEnd is refused; the next RemoteStart works.
      {"CD RemoteEnd",
       &CD,
       CDRemote,
       RemoteEnd,
       Disconnect,
       {},
       {},
       Steps({RemoteStart, RemoteEnd})},
      {"CD RemoteGetNumberOfAvailableShots", &CD, CDRemote, ShotsLeft, CDRemoteEnd, {}},
      {"CD RemoteTakePicture", &CD, CDRemote, TakePicture, CDRemoteEnd, {}},
      {"CD RemoteGetPicture", &CD, Steps({CDRemote, TakePicture}), FetchPicture, CDRemoteEnd, {}},
      {"CD RemoteGetRemoteParams", &CD, CDRemote, GetParams, CDRemoteEnd,
       UncheckedCDParameterCalls()},
      {"CD RemoteSetRemoteParams", &CD, Steps({CDRemote, GetParams}), SetParams, CDRemoteEnd,
       UncheckedCDParameterCalls()},
      // The file holds what could be read; a parameter that cannot be sent
      // is passed over.
      {"CD RemoteSaveCameraRemoteParams", &CD, CDRemote, SaveParams, CDRemoteEnd,
       UncheckedCDParameterCalls()},
      {"CD RemoteLoadCameraRemoteParams", &CD, Steps({CDRemote, SaveParams}), LoadParams,
       CDRemoteEnd, UncheckedCDParameterCalls()},
      {"CD RemoteStartViewfinder", &CD, CDRemote, StartViewfinder, CDViewfinderEnd, {}},
      // The viewfinder counts as stopped even when the camera does not
      // confirm it; the next start stops the camera's stream first.
      {"CD RemoteStopViewfinder",
       &CD,
       CDViewfinder,
       StopViewfinder,
       CDRemoteEnd,
       {},
       {},
       Steps({StartViewfinder, StopViewfinder})},
      {"CD RemoteSetViewfinderOutput",
       &CD,
       CDViewfinder,
       [](SweepSession& s) { s.Controller->RemoteSetViewfinderOutput(RemoteViewFinderOutputOff); },
       CDViewfinderEnd,
       {}},
      {"CD RemoteActivateViewfinderAuto",
       &CD,
       CDViewfinder,
       [](SweepSession& s) { s.Controller->RemoteActivateViewfinderAuto(); },
       CDViewfinderEnd,
       {}},
      {"CD RemoteGetZoomPos", &CD, CDRemote, GetZoom, CDRemoteEnd, {}},
      {"CD RemoteSetZoomPos",
       &CD,
       CDRemote,
       [](SweepSession& s) { s.Controller->RemoteSetZoomPos(3); },
       CDRemoteEnd,
       {}},
      {"CD RemoteAFLock",
       &CD,
       CDRemote,
       [](SweepSession& s) { s.Controller->RemoteAFLock(true); },
       CDRemoteEnd,
       {}},
      {"CD RemoteAFLock unlock", &CD, Steps({CDRemote, LockFocus}), UnlockFocus, CDRemoteEnd, {}},
      // Volume enumerations, images and picture data are given back with
      // their results ignored.
      {"CD OpenCameraCollection",
       &CD,
       ConnectCD,
       OpenCDCollection,
       Steps({CloseCollection, Disconnect}),
       {{"CDEnumVolumeRelease", none}, {"CDCloseImage", none}, {"CDFreeImageItem", none}}},
      // A collection whose enumeration could not be released is closed all
      // the same; a new one can be opened.
      {"CD CloseCameraCollection",
       &CD,
       Steps({ConnectCD, OpenCDCollection}),
       CloseCollection,
       Disconnect,
       {},
       {},
       Steps({OpenCDCollection, CloseCollection})},
      {"CD GetPicture",
       &CD,
       Steps({ConnectCD, OpenCDCollection}),
       DownloadJPEG,
       Steps({CloseCollection, Disconnect}),
       {{"CDCloseImage", none}, {"CDFreeImageItem", none}}},
      {"CD DeletePicture",
       &CD,
       Steps({ConnectCD, OpenCDCollection}),
       DeleteLast,
       Steps({CloseCollection, Disconnect}),
       {}},
  };
}

// ---------------------------------------------------------------------------

class FaultSweep : public ::testing::Test {
protected:
  static void TearDownTestSuite() {
    std::printf("fault sweep: %zu operations, %zu injected faults\n", totals.Operations,
                totals.Faults);
  }

  static void Sweep(const std::vector<SweptOperation>& operations) {
    for (const SweptOperation& operation : operations) {
      SweepOperation(operation, totals);
    }
  }

  // Waits run on a fake clock; camera clocks are set in a fixed zone.
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  platform::ScopedTimeZone standardTime{platform::TimeZoneInfo{-60, 0, -60, false}};

  static SweepTotals totals;
};

SweepTotals FaultSweep::totals;

TEST_F(FaultSweep, EOS) {
  Sweep(EOSOperations());
}

TEST_F(FaultSweep, PR) {
  Sweep(PROperations());
}

TEST_F(FaultSweep, CD) {
  Sweep(CDOperations());
}

} // namespace

} // namespace vostrel::test
