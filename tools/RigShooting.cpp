#include "tools/RigShooting.h"

#include "core/ReleaseTogether.h"
#include "tools/CameraSession.h"
#include "tools/Commands.h"
#include "tools/ProgressBar.h"
#include "tools/ToolError.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <thread>

namespace vostrel::tools {

namespace {

// One camera of the rig: a host with its own control, connected and in
// remote mode, drawing its progress on its line of the rig's board.
struct RigCamera {
  CameraChoice Choice;
  std::string Name; // eos-0, powershot-1, ...
  std::size_t Line = 0;
  // Before the host, which reports to it until it is gone.
  std::unique_ptr<ProgressBoard::Entry> Progress;
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

std::string Pictures(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " picture" : " pictures");
}

// Waits for the picture of the release that left `before` announced and
// fetches what the camera announced. Runs on the camera's own thread: a
// failure stays with the camera, nothing is thrown.
void FetchShot(RigCamera& camera, std::int64_t before, const RigShootOptions& options,
               ProgressBoard& board) noexcept {
  std::string name = PictureName(options.Prefix, camera.Fetched + 1);
  try {
    camera.Host->WaitForPictures(before + 1);
    TVostrelActiveX& control = camera.Host->Control();
    while (camera.Fetched < camera.Host->AnnouncedPictures()) {
      name = PictureName(options.Prefix, camera.Fetched + 1);
      const std::string file = (std::filesystem::path(camera.Pictures.Folder) / name).string();
      board.Begin(camera.Line, name);
      control.RemoteGetPicture(file, PictureTypeFull);
      ++camera.Fetched;
      camera.Pictures.Files.push_back(file);
    }
    return;
  } catch (const std::exception& error) {
    camera.Pictures.Error = name + ": " + error.what();
  } catch (...) {
    camera.Pictures.Error = name + ": the transfer failed";
  }
  try {
    board.Finish(camera.Line, "failed at " + camera.Pictures.Error + " (" +
                                  Pictures(camera.Pictures.Files.size()) + " saved)");
  } catch (...) {
    // The message reaches the user with the command's result all the same.
  }
}

// Runs every task on a thread of its own and returns once all have ended.
void RunTogether(const std::vector<std::function<void()>>& tasks) {
  std::vector<std::thread> threads;
  threads.reserve(tasks.size());
  try {
    for (const auto& task : tasks) {
      threads.emplace_back(task);
    }
  } catch (...) {
    for (std::thread& thread : threads) {
      thread.join();
    }
    throw;
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
}

// Fires the cameras together; raises ToolError for a camera that did not.
void ReleaseAll(const std::vector<RigCamera*>& cameras) {
  std::vector<std::function<void()>> releases;
  for (RigCamera* camera : cameras) {
    releases.emplace_back([control = &camera->Host->Control()] { control->RemoteTakePicture(); });
  }
  const std::vector<ReleaseOutcome> outcomes = ReleaseTogether(releases);
  for (std::size_t i = 0; i < outcomes.size(); ++i) {
    if (!outcomes[i].Released()) {
      throw ToolError(cameras[i]->Name + " did not release: " + outcomes[i].Error);
    }
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
  // Before the cameras, whose hosts draw on it.
  ProgressBoard board(std::cerr, host.Options().ShowProgress, StandardErrorIsTerminal());
  std::vector<std::unique_ptr<RigCamera>> cameras;
  for (const CameraChoice& choice : choices) {
    auto camera = std::make_unique<RigCamera>();
    camera->Choice = choice;
    camera->Name = FamilyName(choice.Family) + "-" + std::to_string(choice.Number);
    camera->Line = board.Add(camera->Name);
    camera->Progress = std::make_unique<ProgressBoard::Entry>(board, camera->Line);
    camera->Host = std::make_unique<ToolHost>(host.Options(), camera->Progress.get());
    camera->Session =
        std::make_unique<CameraSession>(camera->Host->Control(), CameraSession::JoinEnumeration{});
    camera->Session->Connect(choice);
    camera->Session->StartRemote(options.Mode, ReleaseDataKindTakeOnlyPicture);
    camera->Pictures.Camera = choice;
    camera->Pictures.Folder = (std::filesystem::path(options.Folder) / camera->Name).string();
    if (toPC) {
      CreateOutputFolder(camera->Pictures.Folder);
    }
    cameras.push_back(std::move(camera));
  }
  // Nothing is drawn before the first transfer: messages may go to the terminal too.
  messages << "firing " << cameras.size() << " cameras together\n" << std::flush;

  // The cameras that still fetch; a camera whose fetch failed is left out
  // of the releases after it.
  std::vector<RigCamera*> active;
  for (const auto& camera : cameras) {
    active.push_back(camera.get());
  }
  for (std::int32_t shot = 1; shot <= options.Count && !active.empty(); ++shot) {
    std::vector<std::int64_t> before;
    for (RigCamera* camera : active) {
      before.push_back(camera->Host->AnnouncedPictures());
    }
    ReleaseAll(active);
    if (!toPC) {
      messages << "shot " << shot << " kept in every camera\n";
      continue;
    }
    std::vector<std::function<void()>> fetches;
    for (std::size_t i = 0; i < active.size(); ++i) {
      fetches.emplace_back(
          [&, camera = active[i], from = before[i]] { FetchShot(*camera, from, options, board); });
    }
    RunTogether(fetches);
    std::erase_if(active, [](const RigCamera* camera) { return !camera->Pictures.Error.empty(); });
  }
  for (RigCamera* camera : active) {
    board.Finish(camera->Line,
                 toPC ? Pictures(camera->Pictures.Files.size()) + " in " + camera->Pictures.Folder
                      : "pictures kept in the camera");
  }
  board.Close();

  std::vector<RigCameraPictures> delivered;
  // Every camera is let go before the enumeration's session stops the SDKs.
  // A camera that failed is let go without a word: its failure is reported.
  for (const auto& camera : cameras) {
    if (camera->Pictures.Error.empty()) {
      camera->Session->Close();
    } else {
      camera->Session.reset();
    }
    for (const std::string& file : camera->Pictures.Files) {
      messages << "saved " << file << '\n';
    }
    delivered.push_back(camera->Pictures);
  }
  enumeration.Close();
  return delivered;
}

void RequireEveryCamera(const std::vector<RigCameraPictures>& rig) {
  std::string failures;
  std::size_t failed = 0;
  for (const RigCameraPictures& camera : rig) {
    if (!camera.Error.empty()) {
      ++failed;
      failures += "\n  " + FamilyName(camera.Camera.Family) + "-" +
                  std::to_string(camera.Camera.Number) + " stopped at " + camera.Error;
    }
  }
  if (failed == 0) {
    return;
  }
  throw ToolError(
      std::to_string(failed) + " of " + std::to_string(rig.size()) +
      " cameras did not deliver every picture (the pictures that came are saved):" + failures +
      "\nCheck the cable and the power of the cameras named (vostrel list shows "
      "the cameras attached), then shoot again.");
}

} // namespace vostrel::tools
