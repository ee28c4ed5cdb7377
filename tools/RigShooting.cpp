#include "tools/RigShooting.h"

#include "core/ReleaseTogether.h"
#include "tools/CameraSession.h"
#include "tools/Commands.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

namespace vostrel::tools {

namespace {

// One camera of the rig: a host with its own control, connected and in
// remote mode.
struct RigCamera {
  CameraChoice Choice;
  std::unique_ptr<ToolHost> Host;
  std::unique_ptr<CameraSession> Session;
  RigCameraPictures Pictures;
  std::int64_t Fetched = 0;
};

std::vector<CameraChoice> AttachedCameras(TVostrelActiveX& control) {
  std::vector<CameraChoice> cameras;
  for (std::int32_t i = 0; i < control.OpenCameraEnumeration_GetEOSNr(); ++i) {
    cameras.push_back({CamModEOS, i});
  }
  for (std::int32_t i = 0; i < control.OpenCameraEnumeration_GetPowerShotNr(); ++i) {
    cameras.push_back({CamModPowerShot, i});
  }
  return cameras;
}

std::string PictureName(const std::string& prefix, std::int64_t number) {
  char name[40];
  std::snprintf(name, sizeof name, "-%03lld.jpg", static_cast<long long>(number));
  return prefix + name;
}

void FetchAnnounced(RigCamera& camera, const RigShootOptions& options, std::ostream& messages) {
  TVostrelActiveX& control = camera.Host->Control();
  while (camera.Fetched < camera.Host->AnnouncedPictures()) {
    const std::string name =
        PictureName(options.Prefix, static_cast<std::int64_t>(camera.Pictures.Files.size()) + 1);
    const std::string file = (std::filesystem::path(camera.Pictures.Folder) / name).string();
    {
      const std::string label = CameraName(camera.Choice.Family, camera.Choice.Number) + " " + name;
      const ProgressScope progress(camera.Host->Progress(), label);
      control.RemoteGetPicture(file, PictureTypeFull);
    }
    ++camera.Fetched;
    camera.Pictures.Files.push_back(file);
    messages << "saved " << file << '\n';
  }
}

} // namespace

std::vector<RigCameraPictures> ShootAll(ToolHost& host, const RigShootOptions& options,
                                        std::ostream& messages) {
  CameraSession enumeration(host.Control());
  const std::vector<CameraChoice> choices = AttachedCameras(host.Control());
  if (choices.empty()) {
    throw ToolError("No camera is attached: connect the cameras and switch them on");
  }
  const bool toPC = options.Mode != ReleaseModeOnlyToCamera;
  std::vector<std::unique_ptr<RigCamera>> cameras;
  for (const CameraChoice& choice : choices) {
    auto camera = std::make_unique<RigCamera>();
    camera->Choice = choice;
    camera->Host = std::make_unique<ToolHost>(host.Options());
    camera->Session =
        std::make_unique<CameraSession>(camera->Host->Control(), CameraSession::JoinEnumeration{});
    camera->Session->Connect(choice);
    camera->Session->StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
    camera->Pictures.Camera = choice;
    camera->Pictures.Folder = (std::filesystem::path(options.Folder) /
                               (FamilyName(choice.Family) + "-" + std::to_string(choice.Number)))
                                  .string();
    if (toPC) {
      CreateOutputFolder(camera->Pictures.Folder);
    }
    cameras.push_back(std::move(camera));
  }
  messages << "firing " << cameras.size() << " cameras together\n";

  std::vector<std::function<void()>> releases;
  for (const auto& camera : cameras) {
    releases.emplace_back([control = &camera->Host->Control()] { control->RemoteTakePicture(); });
  }
  for (std::int32_t shot = 1; shot <= options.Count; ++shot) {
    std::vector<std::int64_t> before;
    for (const auto& camera : cameras) {
      before.push_back(camera->Host->AnnouncedPictures());
    }
    const std::vector<ReleaseOutcome> outcomes = ReleaseTogether(releases);
    for (std::size_t i = 0; i < outcomes.size(); ++i) {
      if (!outcomes[i].Released()) {
        throw ToolError(CameraName(cameras[i]->Choice.Family, cameras[i]->Choice.Number) +
                        " did not release: " + outcomes[i].Error);
      }
    }
    if (!toPC) {
      messages << "shot " << shot << " kept in every camera\n";
      continue;
    }
    for (std::size_t i = 0; i < cameras.size(); ++i) {
      cameras[i]->Host->WaitForPictures(before[i] + 1);
      FetchAnnounced(*cameras[i], options, messages);
    }
  }

  std::vector<RigCameraPictures> delivered;
  // Every camera is let go before the enumeration's session stops the SDKs.
  for (const auto& camera : cameras) {
    camera->Session->Close();
    delivered.push_back(camera->Pictures);
  }
  enumeration.Close();
  return delivered;
}

} // namespace vostrel::tools
