// viewfinder, viewfinder-output, auto, zoom and af-lock: the live functions
// of a camera under remote control.

#include "tools/CameraSession.h"
#include "tools/Commands.h"
#include "tools/LiveView.h"
#include "tools/ToolError.h"

#include <iostream>
#include <map>
#include <memory>

namespace vostrel::tools {

namespace {

// Connects the camera and enters remote mode with the pictures going to the
// PC, the mode every family accepts.
void StartLive(CameraSession& session, const CameraChoice& camera) {
  session.Connect(camera);
  session.StartRemote(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture);
}

struct ViewfinderOptions {
  ViewfinderRun Run;
  double Seconds = 0;
  std::string Folder = ".";
};

void RunViewfinder(ToolHost& host, const CameraChoice& camera, const ViewfinderOptions& options) {
  CreateOutputFolder(options.Folder);
  CameraSession session(host.Control());
  StartLive(session, camera);
  RequireLiveFunction(host.Control(), LiveFunction::Viewfinder);
  session.StartViewfinder();
  const ViewfinderResult result = CaptureViewfinder(host, options.Folder, options.Run);
  session.Close();
  std::cout << DescribeViewfinderResult(result) << " saved in " << options.Folder << '\n';
}

// Runs the action with the viewfinder on: the output and the automatic
// functions work only while it runs.
template <typename Action>
void WithViewfinder(ToolHost& host, const CameraChoice& camera, Action action) {
  CameraSession session(host.Control());
  StartLive(session, camera);
  RequireLiveFunction(host.Control(), LiveFunction::Viewfinder);
  session.StartViewfinder();
  action(host.Control());
  session.Close();
}

const std::map<std::string, TxRemoteViewFinderOutputType> ViewfinderOutputs{
    {"lcd", RemoteViewFinderOutputLCD},
    {"video", RemoteViewFinderOutputVideo},
    {"off", RemoteViewFinderOutputOff}};

} // namespace

void AddLiveCommands(CommandLine& commandLine) {
  CLI::App& app = commandLine.App;
  const GlobalOptions& global = commandLine.Global;
  auto& run = commandLine.Run;

  auto viewfinder = std::make_shared<ViewfinderOptions>();
  CLI::App* viewfinderCommand = app.add_subcommand(
      "viewfinder", "Save frames of the live viewfinder and show the frame rate");
  auto* frames = viewfinderCommand->add_option("-n,--frames", viewfinder->Run.Frames,
                                               "Number of frames to save (default 10)");
  frames->check(CLI::Range(1, 100000));
  viewfinderCommand
      ->add_option("-t,--seconds", viewfinder->Seconds, "Save every frame for this many seconds")
      ->check(CLI::Range(0.1, 3600.0))
      ->excludes(frames);
  viewfinderCommand->add_option("-o,--out", viewfinder->Folder, "Folder for the frames");
  viewfinderCommand->callback([&run, &global, viewfinder] {
    if (viewfinder->Seconds > 0) {
      viewfinder->Run.Duration =
          platform::Milliseconds(static_cast<std::int64_t>(viewfinder->Seconds * 1000.0));
    }
    run = [&global, viewfinder](ToolHost& host) {
      RunViewfinder(host, global.Camera, *viewfinder);
    };
  });

  auto output = std::make_shared<TxRemoteViewFinderOutputType>(RemoteViewFinderOutputLCD);
  CLI::App* outputCommand = app.add_subcommand(
      "viewfinder-output", "Show the viewfinder on the camera's screen, its video out, or neither");
  outputCommand->add_option("output", *output, "lcd, video or off")
      ->required()
      ->transform(CLI::CheckedTransformer(ViewfinderOutputs, CLI::ignore_case));
  outputCommand->callback([&run, &global, output] {
    run = [&global, output](ToolHost& host) {
      WithViewfinder(host, global.Camera,
                     [&](TVostrelActiveX& control) { control.RemoteSetViewfinderOutput(*output); });
      std::cout << "viewfinder output set\n";
    };
  });

  CLI::App* autoCommand = app.add_subcommand(
      "auto", "Let the camera set exposure, focus and white balance on the viewfinder's picture");
  autoCommand->callback([&run, &global] {
    run = [&global](ToolHost& host) {
      WithViewfinder(host, global.Camera,
                     [](TVostrelActiveX& control) { control.RemoteActivateViewfinderAuto(); });
      std::cout << "exposure, focus and white balance set by the camera\n";
    };
  });

  struct ZoomOptions {
    std::string Action = "get";
    std::int32_t Position = -1;
  };
  auto zoom = std::make_shared<ZoomOptions>();
  CLI::App* zoomCommand = app.add_subcommand("zoom", "Show the zoom position, or move the zoom");
  zoomCommand->add_option("action", zoom->Action, "get (default) or set")
      ->check(CLI::IsMember({"get", "set"}, CLI::ignore_case));
  zoomCommand->add_option("position", zoom->Position, "Zoom position for set")
      ->check(CLI::Range(0, 65535));
  zoomCommand->callback([&run, &global, zoom] {
    if (zoom->Action == "set" && zoom->Position < 0) {
      throw CLI::ValidationError("position", "zoom set needs the position to move to");
    }
    run = [&global, zoom](ToolHost& host) {
      TVostrelActiveX& control = host.Control();
      CameraSession session(control);
      StartLive(session, global.Camera);
      RequireLiveFunction(control, LiveFunction::Zoom);
      if (zoom->Action == "set") {
        SetZoom(control, zoom->Position);
      }
      std::cout << DescribeZoom(control) << '\n';
      session.Close();
    };
  });

  auto state = std::make_shared<std::string>();
  CLI::App* lockCommand = app.add_subcommand("af-lock", "Lock or unlock the focus");
  lockCommand->add_option("state", *state, "on or off")
      ->required()
      ->transform(CLI::IsMember({"on", "off"}, CLI::ignore_case));
  lockCommand->callback([&run, &global, state] {
    const bool lock = *state == "on";
    run = [&global, lock](ToolHost& host) {
      TVostrelActiveX& control = host.Control();
      CameraSession session(control);
      StartLive(session, global.Camera);
      RequireLiveFunction(control, LiveFunction::FocusLock);
      control.RemoteAFLock(lock);
      session.Close();
      std::cout << (lock ? "focus locked\n" : "focus unlocked\n");
    };
  });
}

} // namespace vostrel::tools
