// Every operation checks the controller's state in a fixed order and refuses
// with the first guard that fails.

#include "core/ControllerFixture.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <array>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;

const std::string NotRemote = "Camera not in remote mode";
const std::string NotConnected = "No camera is connected";
const std::string NotViewfinder = "Camera not in viewfinder mode";
const std::string EOSViewfinder = "EOS cameras do not support Viewfinder mode";

enum class Guard { Remote, Connection, Viewfinder, NoEOS };

struct State {
  bool remote;
  std::uint8_t model;
  bool viewfinder;
};

struct GuardedOperation {
  const char* name;
  std::vector<Guard> guards;
  std::function<void(TVostrel&)> call;
};

// The refusal the first failing guard gives in the state, or "" when all pass.
std::string ExpectedRefusal(const std::vector<Guard>& guards, const State& state) {
  for (Guard guard : guards) {
    switch (guard) {
    case Guard::Remote:
      if (!state.remote) {
        return NotRemote;
      }
      break;
    case Guard::Connection:
      if (state.model == CamModNone) {
        return NotConnected;
      }
      break;
    case Guard::Viewfinder:
      if (!state.viewfinder) {
        return NotViewfinder;
      }
      break;
    case Guard::NoEOS:
      if (state.model == CamModEOS) {
        return EOSViewfinder;
      }
      break;
    }
  }
  return "";
}

bool IsGuardMessage(const std::string& message) {
  return message == NotRemote || message == NotConnected || message == NotViewfinder ||
         message == EOSViewfinder;
}

std::vector<GuardedOperation> Operations() {
  using G = Guard;
  const std::vector<G> conn{G::Connection};
  const std::vector<G> remote{G::Remote, G::Connection};
  const std::vector<G> view{G::Viewfinder, G::Connection, G::NoEOS};
  return {
      {"Disconnect", conn, [](TVostrel& c) { c.Disconnect(); }},
      {"SetTimeInCamera", conn, [](TVostrel& c) { c.SetTimeInCamera(40000.5); }},
      {"SetOwnerName", conn, [](TVostrel& c) { c.SetOwnerName("owner"); }},
      {"GetBodyID", conn, [](TVostrel& c) { c.GetBodyID(); }},
      {"FormatCameraCard", conn, [](TVostrel& c) { c.FormatCameraCard(); }},
      {"RemoteSupported", conn, [](TVostrel& c) { c.RemoteSupported(); }},
      {"KeepCameraAwake", conn, [](TVostrel& c) { c.KeepCameraAwake(); }},
      {"RemoteStart", conn,
       [](TVostrel& c) {
         c.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                       ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
       }},
      {"RemoteEnd", remote, [](TVostrel& c) { c.RemoteEnd(); }},
      {"RemoteGetNumberOfAvailableShots", remote,
       [](TVostrel& c) { c.RemoteGetNumberOfAvailableShots(); }},
      {"RemoteTakePicture", remote, [](TVostrel& c) { c.RemoteTakePicture(); }},
      {"RemoteGetPicture", remote,
       [](TVostrel& c) { c.RemoteGetPicture("unused.jpg", PictureTypeFull); }},
      {"RemoteGetRemoteParams", remote,
       [](TVostrel& c) {
         RemoteParamsType params{};
         c.RemoteGetRemoteParams(params);
       }},
      {"RemoteSetRemoteParams", remote, [](TVostrel& c) { c.RemoteSetRemoteParams({}); }},
      {"RemoteGetZoomPos", remote,
       [](TVostrel& c) {
         ZoomPosType zoom{};
         c.RemoteGetZoomPos(zoom);
       }},
      {"RemoteSetZoomPos", remote, [](TVostrel& c) { c.RemoteSetZoomPos(3); }},
      {"RemoteAFLock", remote, [](TVostrel& c) { c.RemoteAFLock(true); }},
      {"RemoteStartViewfinder",
       {G::Remote, G::Connection, G::NoEOS},
       [](TVostrel& c) { c.RemoteStartViewfinder(); }},
      {"RemoteStopViewfinder", view, [](TVostrel& c) { c.RemoteStopViewfinder(); }},
      {"RemoteSetViewfinderOutput", view,
       [](TVostrel& c) { c.RemoteSetViewfinderOutput(RemoteViewFinderOutputVideo); }},
      {"RemoteActivateViewfinderAuto", view, [](TVostrel& c) { c.RemoteActivateViewfinderAuto(); }},
      {"OpenCameraCollection", conn, [](TVostrel& c) { c.OpenCameraCollection("", true); }},
      {"CloseCameraCollection", conn,
       [](TVostrel& c) {
         ImageListType list;
         c.CloseCameraCollection(list);
       }},
      {"GetPicture", conn, [](TVostrel& c) { c.GetPicture(0, false, "unused.jpg"); }},
      {"DeletePicture", conn,
       [](TVostrel& c) {
         ImageListType list;
         c.DeletePicture(list, 0);
       }},
      // The RAW operations need no camera and no mode.
      {"SetRAWDevelopmentParameters",
       {},
       [](TVostrel& c) {
         c.SetRAWDevelopmentParameters({13, 5200});
       }},
      {"GetRAWDevelopmentParameters",
       {},
       [](TVostrel& c) {
         RAWDevelopParamsType params{};
         c.GetRAWDevelopmentParameters(params);
       }},
      {"DevelopRAWPicture",
       {},
       [](TVostrel& c) {
         c.DevelopRAWPicture("out.tif", FileFormatTIFF, BitsPerPixel24Bits, "", 90);
       }},
  };
}

class ControllerGuards : public test::ControllerTest {};

// Each operation in each combination of remote mode, connected family and
// viewfinder: the first failing guard refuses; when every guard passes the
// call reaches the backend, which may fail only with a message of its own.
// EOS cameras are left out of that last step: the EOS backend is not under
// test here.
TEST_F(ControllerGuards, FirstFailingGuardRefusesInEveryState) {
  const std::array<std::uint8_t, 3> models{CamModNone, CamModPowerShot, CamModEOS};
  for (const GuardedOperation& operation : Operations()) {
    for (bool remote : {false, true}) {
      for (std::uint8_t model : models) {
        for (bool viewfinder : {false, true}) {
          const State state{remote, model, viewfinder};
          const std::string expected = ExpectedRefusal(operation.guards, state);
          if (expected.empty() && model == CamModEOS) {
            continue;
          }
          SetConnection(model, 0);
          SetRemoteMode(remote);
          SetViewfinder(viewfinder);
          const std::string message = MessageOf([&] { operation.call(controller); });
          const std::string where =
              std::string(operation.name) + " remote=" + std::to_string(remote) +
              " model=" + std::to_string(model) + " viewfinder=" + std::to_string(viewfinder);
          if (expected.empty()) {
            EXPECT_FALSE(IsGuardMessage(message)) << where << ": " << message;
          } else {
            EXPECT_EQ(message, expected) << where;
          }
        }
      }
    }
  }
}

TEST_F(ControllerGuards, RemoteStartKeepsModeAndKindEvenWhenRefused) {
  EXPECT_EQ(MessageOf([&] {
              controller.RemoteStart(ReleaseModeType::ReleaseModeOnlyToCamera,
                                     ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic, true,
                                     "cache");
            }),
            NotConnected);
  EXPECT_EQ(controller.GetReleaseMode(), ReleaseModeType::ReleaseModeOnlyToCamera);
  EXPECT_EQ(controller.GetReleaseDataKind(),
            ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic);
  EXPECT_FALSE(controller.IsRemoteModeOn());
}

TEST_F(ControllerGuards, RemoteParameterFilesNeedRemoteModeFirst) {
  test::TempFolder folder;
  const std::string file = folder.file("params.dat");
  EXPECT_EQ(MessageOf([&] { controller.RemoteSaveCameraRemoteParams(file); }), NotRemote);
  EXPECT_EQ(MessageOf([&] { controller.RemoteLoadCameraRemoteParams(file); }), NotRemote);
  EXPECT_FALSE(platform::fileExists(file));

  // In remote mode without a camera the save creates the file before the
  // parameter read refuses, and leaves it empty.
  SetRemoteMode(true);
  EXPECT_EQ(MessageOf([&] { controller.RemoteSaveCameraRemoteParams(file); }), NotConnected);
  ASSERT_TRUE(platform::fileExists(file));
  EXPECT_TRUE(platform::readFile(file).empty());
  // That empty file is refused when loaded, before any camera is needed.
  EXPECT_EQ(MessageOf([&] { controller.RemoteLoadCameraRemoteParams(file); }),
            "Camera remote parameters file " + file +
                " is of invalid data format. Please create a new file.");
}

TEST_F(ControllerGuards, ModeFlagsAreSetOnlyAfterSuccessAndClearedBeforeTheBackend) {
  // The PR backend is reached (camera number 0, no CD camera) and refuses.
  SetConnection(CamModPowerShot, 0);
  SetRemoteMode(false);
  EXPECT_NE(MessageOf([&] {
              controller.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                                     ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false,
                                     "");
            }),
            "");
  EXPECT_FALSE(controller.IsRemoteModeOn());

  SetRemoteMode(true);
  EXPECT_NE(MessageOf([&] { controller.RemoteStartViewfinder(); }), "");
  EXPECT_FALSE(controller.IsViewfinderOn());

  SetViewfinder(true);
  EXPECT_NE(MessageOf([&] { controller.RemoteStopViewfinder(); }), "");
  EXPECT_FALSE(controller.IsViewfinderOn());

  EXPECT_NE(MessageOf([&] { controller.RemoteEnd(); }), "");
  EXPECT_FALSE(controller.IsRemoteModeOn());

  // The PR backend holds no camera object here, so there is nothing left to
  // disconnect: the connection ends without a call into the SDK.
  EXPECT_EQ(MessageOf([&] { controller.Disconnect(); }), "");
  EXPECT_EQ(controller.GetConnectInfo().CameraModel, CamModNone);
}

TEST_F(ControllerGuards, ZoomOfAnEOSCameraDoesNothing) {
  SetConnection(CamModEOS, 0);
  SetRemoteMode(true);
  ZoomPosType zoom{7, 8, 9};
  EXPECT_EQ(MessageOf([&] { controller.RemoteGetZoomPos(zoom); }), "");
  EXPECT_EQ(zoom.CurrentZoomPos, 7);
  EXPECT_EQ(zoom.MaxOpticalZoomPos, 8);
  EXPECT_EQ(zoom.MaxZoomPos, 9);
  EXPECT_EQ(MessageOf([&] { controller.RemoteSetZoomPos(5); }), "");
}

TEST_F(ControllerGuards, ViewfinderRefusalsOfEOSCameras) {
  SetConnection(CamModEOS, 0);
  SetRemoteMode(true);
  EXPECT_EQ(MessageOf([&] { controller.RemoteStartViewfinder(); }), EOSViewfinder);
  // With the viewfinder off the viewfinder guard comes first, whatever is
  // connected.
  EXPECT_EQ(MessageOf([&] { controller.RemoteStopViewfinder(); }), NotViewfinder);
}

} // namespace
} // namespace vostrel
