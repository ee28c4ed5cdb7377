#include "tools/CDDemoSession.h"

#include "core/DeviceLists.h"
#include "tools/CameraReport.h"
#include "tools/CameraSession.h"
#include "tools/CardScopes.h"
#include "tools/Commands.h"
#include "tools/LiveView.h"
#include "tools/ParamValues.h"

#include <filesystem>
#include <iostream>

namespace vostrel::tools {

namespace {

// The PowerShot list names the CD cameras first.
constexpr std::int32_t FirstCDCamera = 0;

std::string ShotName(std::size_t number) {
  return "cd-shot-" + std::to_string(number) + ".jpg";
}

} // namespace

CDDemoResult RunCDDemoSession(ToolHost& host, const std::string& folder, std::int32_t count) {
  CDDemoResult result;
  std::vector<std::string>& files = result.Pictures;
  TVostrelActiveX& control = host.Control();
  CameraSession session(control);
  if (CDDeviceList().empty()) {
    std::cout << "No older PowerShot (CD) camera is attached: its session is skipped\n";
    return result;
  }
  const CameraChoice camera{CamModPowerShot, FirstCDCamera};
  std::cout << "Connecting " << CameraName(camera.Family, camera.Number) << " (CD)\n";
  session.Connect(camera);
  PrintConnectInfo(control, std::cout, "  ");

  std::cout << "Starting remote control, probing the shooting parameters\n";
  {
    const ProgressScope progress(host.Progress(), "probing");
    session.StartRemote(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, true);
  }
  const auto accepted = [&](std::int32_t kind) {
    std::vector<std::int32_t> values =
        SupportedValues(control.RemoteStart_GetRemoteParamSupported(kind));
    std::erase(values, 0);
    return ListMeanings(RemoteParamValues(kind, CameraFamily::CD), values);
  };
  const auto current = [&](std::int32_t kind) {
    return RemoteParamValues(kind, CameraFamily::CD).Show(control.RemoteGetRemoteParams(kind));
  };
  std::cout << "  apertures it takes:      " << accepted(RemoteParamAv) << '\n';
  std::cout << "  white balances it takes: " << accepted(RemoteParamWhiteBalanceSetting) << '\n';
  std::cout << "  aperture " << current(RemoteParamAv) << ", shutter speed "
            << current(RemoteParamTv) << ", white balance "
            << current(RemoteParamWhiteBalanceSetting) << '\n';
  // Daylight white balance for the shots.
  control.RemoteSetRemoteParams(RemoteParamWhiteBalanceSetting, 2);
  std::cout << "  white balance set to " << current(RemoteParamWhiteBalanceSetting) << '\n';
  std::cout << "  shots available: " << control.RemoteGetNumberOfAvailableShots() << '\n';
  result.ViewfinderFrames = TourLiveFunctions(
      host, session, (std::filesystem::path(folder) / CDViewfinderFolder).string());

  std::cout << "Taking " << count << (count == 1 ? " picture\n" : " pictures\n");
  CreateOutputFolder(folder);
  std::int64_t fetched = host.AnnouncedPictures();
  for (std::int32_t shot = 1; shot <= count; ++shot) {
    const std::int64_t before = host.AnnouncedPictures();
    {
      const ProgressScope progress(host.Progress(), "taking picture " + std::to_string(shot));
      control.RemoteTakePicture();
    }
    host.WaitForPictures(before + 1);
    while (fetched < host.AnnouncedPictures()) {
      const std::string name = ShotName(files.size() + 1);
      const std::string file = (std::filesystem::path(folder) / name).string();
      {
        const ProgressScope progress(host.Progress(), name);
        control.RemoteGetPicture(file, PictureTypeFull);
      }
      ++fetched;
      files.push_back(file);
      std::cout << "  saved " << file << '\n';
    }
  }
  std::cout << "Ending remote control\n";
  session.EndRemote();

  std::cout << "Browsing the card\n";
  {
    const CollectionScope collection(control, true);
    result.Thumbnails =
        ListCard(control, (std::filesystem::path(folder) / "cd-thumbnails").string(), std::cout)
            .Thumbnails;
  }
  std::cout << "Disconnecting the CD camera\n";
  session.Disconnect();
  return result;
}

} // namespace vostrel::tools
