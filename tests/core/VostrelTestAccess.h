#pragma once
// Test access to the controller's state: puts a controller into a state that
// would otherwise take a camera (connected, remote mode, viewfinder), and
// reaches the target file of a PR picture transfer.

#include "core/Vostrel.h"

#include <cstdint>
#include <string>

namespace vostrel {

class TVostrelTestAccess {
public:
  static void SetConnection(TVostrel& controller, std::uint8_t model, std::int32_t cameraNumber) {
    controller.ConnectInfo.CameraModel = model;
    controller.ConnectedModel.store(model);
    controller.CameraNumber.store(cameraNumber);
  }
  static void SetRemoteMode(TVostrel& controller, bool on) { controller.RemoteModeOn.store(on); }
  static void SetViewfinder(TVostrel& controller, bool on) { controller.ViewfinderOn.store(on); }

  static void OpenPictureFile(TVostrel& controller, const std::string& fileName) {
    controller.OpenPictureFile(fileName);
  }
  static bool PictureFileOpen(TVostrel& controller) {
    std::lock_guard lock(controller.PictureFileLock);
    return controller.PictureFileStream != nullptr;
  }
  static bool ClosePictureFile(TVostrel& controller) { return controller.ClosePictureFile(); }
};

} // namespace vostrel
