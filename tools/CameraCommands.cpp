// list, info, set-clock, set-owner: the camera as a whole.

#include "tools/CameraReport.h"
#include "tools/CameraSession.h"
#include "tools/ClockParts.h"
#include "tools/Commands.h"
#include "tools/JsonOutput.h"

#include <cstdio>
#include <iostream>

namespace vostrel::tools {

namespace {

void ListCameras(ToolHost& host, bool json) {
  TVostrelActiveX& control = host.Control();
  CameraSession session(control);
  if (json) {
    PrintJson(std::cout, {{"cameras", CameraListJson(control)}});
  } else if (PrintCameraList(control, std::cout) == 0) {
    std::cout << "No camera found.\n";
  }
  session.Close();
}

void ShowInfo(ToolHost& host, const CameraChoice& camera, bool json) {
  TVostrelActiveX& control = host.Control();
  CameraSession session(control);
  session.Connect(camera);
  if (json) {
    nlohmann::json info = ConnectInfoJson(control);
    info["camera"] = CameraName(control.Connect_CameraModel(), camera.Number);
    info["bodyId"] = control.GetBodyID();
    info["remoteSupported"] = control.RemoteSupported();
    PrintJson(std::cout, info);
    session.Close();
    return;
  }
  std::cout << "camera:   " << CameraName(control.Connect_CameraModel(), camera.Number) << '\n';
  PrintConnectInfo(control, std::cout);
  // The older PowerShot cameras have no body ID: the control gives 0.
  const auto bodyId = control.GetBodyID();
  std::cout << "body ID:  " << (bodyId == 0 ? std::string("(none)") : std::to_string(bodyId))
            << '\n';
  std::cout << "remote:   " << (control.RemoteSupported() ? "supported" : "not supported") << '\n';
  session.Close();
}

void SetClock(ToolHost& host, const CameraChoice& camera, const ClockParts& time) {
  TVostrelActiveX& control = host.Control();
  CameraSession session(control);
  session.Connect(camera);
  control.SetTimeInCamera(time.Year, time.Month, time.Day, time.Hour, time.Minute, time.Second,
                          time.Millisecond);
  session.Close();
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", time.Year, time.Month,
                time.Day, time.Hour, time.Minute, time.Second, time.Millisecond);
  std::cout << "clock of " << CameraName(camera.Family, camera.Number) << " set to " << text
            << '\n';
}

void SetOwner(ToolHost& host, const CameraChoice& camera, const std::string& owner) {
  TVostrelActiveX& control = host.Control();
  CameraSession session(control);
  session.Connect(camera);
  control.SetOwnerName(owner);
  session.Close();
  std::cout << "owner of " << CameraName(camera.Family, camera.Number) << " set to \"" << owner
            << "\"\n";
}

} // namespace

void AddCameraCommands(CommandLine& commandLine) {
  CLI::App& app = commandLine.App;
  const GlobalOptions& global = commandLine.Global;
  auto& run = commandLine.Run;

  app.add_subcommand("list", "List the attached cameras")->callback([&run, &global] {
    run = [&global](ToolHost& host) { ListCameras(host, global.Json); };
  });

  app.add_subcommand("info", "Show the camera's model, owner, battery and body ID")
      ->callback([&run, &global] {
        run = [&global](ToolHost& host) { ShowInfo(host, global.Camera, global.Json); };
      });

  auto time = std::make_shared<std::string>();
  CLI::App* setClock = app.add_subcommand("set-clock", "Set the camera's clock");
  setClock
      ->add_option("--time", *time,
                   "Local date and time, \"YYYY-MM-DD HH:MM:SS[.mmm]\" (default: now)")
      ->check([](const std::string& text) {
        return ParseClockParts(text) ? std::string() : "expected \"YYYY-MM-DD HH:MM:SS[.mmm]\"";
      });
  setClock->callback([&run, &global, time] {
    run = [&global, time](ToolHost& host) {
      SetClock(host, global.Camera, time->empty() ? LocalClockNow() : *ParseClockParts(*time));
    };
  });

  auto owner = std::make_shared<std::string>();
  CLI::App* setOwner = app.add_subcommand("set-owner", "Set the camera's owner name");
  setOwner->add_option("name", *owner, "The new owner name")->required();
  setOwner->callback([&run, &global, owner] {
    run = [&global, owner](ToolHost& host) { SetOwner(host, global.Camera, *owner); };
  });
}

} // namespace vostrel::tools
