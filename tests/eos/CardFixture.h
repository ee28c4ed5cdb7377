#pragma once
// Common ground of the card collection and RAW development tests: one
// simulated EOS camera with the files a test puts on its card, connected
// through a controller, and a folder of the test's own for downloads and
// developed pictures.

#include "SimulatedEOS.h"

#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace vostrel::test {

class CardTest : public SimulatedEOS {
protected:
  void SetUp() override {
    SimulatedEOS::SetUp();
    const std::string testName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder =
        platform::joinPath(platform::temporaryFolder(), "vostrel-card-" + testName + "-" +
                                                            std::to_string(std::random_device{}()));
    platform::createDirectories(folder);
  }

  void TearDown() override {
    SimulatedEOS::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(folder), ignored);
  }

  // Starts over with one connected camera whose card holds these files
  // (paths or file objects of the scenario format). The call log starts
  // empty.
  void UseCard(const nlohmann::json& files) {
    controller->CloseCameraEnumeration();
    nlohmann::json card = nlohmann::json::object();
    card["label"] = "CF";
    card["files"] = files;
    nlohmann::json camera = nlohmann::json::object();
    camera["model"] = "EOS Card";
    camera["volumes"] = nlohmann::json::array({card});
    nlohmann::json scenario;
    scenario["eos"]["cameras"] = nlohmann::json::array({camera});
    Sim().loadScenario(scenario.dump());
    controller = std::make_unique<TVostrel>();
    controller->OpenCameraEnumeration();
    controller->Connect(CamModEOS, 0);
    Sim().clearCallLog();
  }

  // A file in the test's folder.
  std::string Path(const std::string& name) const { return platform::joinPath(folder, name); }

  // The bytes of a file on the camera's card.
  static std::vector<std::uint8_t> CardFile(const std::string& path) {
    return Sim().readFile(0, 0, path).value();
  }

  // The logged calls of one SDK function, as Calls() shows them.
  static std::vector<std::string> CallsTo(const std::string& function) {
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      if (call.rfind(function + "(", 0) == 0) {
        found.push_back(call);
      }
    }
    return found;
  }

  static std::vector<std::string> Names(const ImageListType& list) {
    std::vector<std::string> names;
    for (const ImageDataType& picture : list) {
      names.push_back(picture.Name);
    }
    return names;
  }

  std::string folder;
};

} // namespace vostrel::test
