#pragma once
// Common ground of the remote-shooting tests: one simulated EOS camera,
// connected through a controller, a folder of the test's own for the fetched
// pictures, and access to the pictures the camera stored on its card.

#include "SimulatedEOS.h"

#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::test {

class EOSShooting : public SimulatedEOS {
protected:
  void SetUp() override {
    SimulatedEOS::SetUp();
    ConnectFirstCamera();
    cardBefore = CardFiles();
    referencesBefore = Sim().liveReferences();
  }

  // Enters remote mode without probing; the call log starts empty.
  void StartRemote(ReleaseModeType mode) {
    controller->RemoteStart(mode, ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    Sim().clearCallLog();
  }

  // Counts the released pictures the controller announces; from now on the
  // controller queues them for RemoteGetPicture.
  void CountAnnouncedPictures() {
    controller->OnRemoteEvent = [this](RemoteEventCallbackType event,
                                       const AdditionNotifyRemoteEventType& data) {
      if (event == RemoteEventCallbackType::RemoteEventCallbackReleaseImageReady &&
          data.TypeOfPicture == TypeOfPictureType::TypeOfPicturePicture) {
        ++announced;
      }
    };
  }

  // The paths of the files on the camera's first card, in name order.
  static std::vector<std::string> CardFiles() {
    std::vector<std::string> paths;
    const std::string listing = Sim().listFiles(0, 0);
    for (std::size_t start = 0, end; (end = listing.find('\n', start)) != std::string::npos;
         start = end + 1) {
      const std::string line = listing.substr(start, end - start);
      paths.push_back(line.substr(0, line.find('\t')));
    }
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  // The files the releases of this test stored on the card, oldest first.
  std::vector<std::string> NewCardFiles() const {
    std::vector<std::string> added;
    for (const std::string& path : CardFiles()) {
      if (std::find(cardBefore.begin(), cardBefore.end(), path) == cardBefore.end()) {
        added.push_back(path);
      }
    }
    return added;
  }

  static std::vector<std::uint8_t> CardBytes(const std::string& path) {
    return Sim().readFile(0, 0, path).value_or(std::vector<std::uint8_t>{});
  }

  static bool Logged(const std::string& line) {
    const std::vector<std::string> calls = Calls();
    return std::find(calls.begin(), calls.end(), line) != calls.end();
  }

  TempFolder folder;
  std::atomic<int> announced{0};
  std::vector<std::string> cardBefore;
  std::size_t referencesBefore = 0;
};

} // namespace vostrel::test
