#pragma once
// Common ground of the parameter-probe tests: one simulated EOS camera with
// the properties a test gives it, connected through a controller, a cache
// folder of the test's own, and the simulator's call log taken apart into
// calls. The waits run on the fake clock of SimulatedEOS.

#include "SimulatedEOS.h"

#include "core/CamDefines.h"
#include "core/DeviceLists.h"
#include "eos/EOSParameterProbe.h"
#include "platform/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace vostrel::eos::test {

using vostrel::test::MessageOf;

// One SDK call as the simulator logged it.
struct LoggedCall {
  std::string function;
  std::vector<std::string> arguments;
  std::uint32_t result = 0;

  // The property identifier of a property call.
  EdsUInt32 property() const {
    return static_cast<EdsUInt32>(std::stoul(arguments.at(1), nullptr, 16));
  }
};

// The bytes of 32-bit values in the camera's (little-endian) order, in
// hexadecimal as the call log shows written data.
inline std::string Words(std::initializer_list<std::int64_t> values) {
  std::string text;
  char hex[4];
  for (const std::int64_t value : values) {
    const auto word = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
      std::snprintf(hex, sizeof hex, "%02X", (word >> shift) & 0xFFu);
      text += hex;
    }
  }
  return text;
}

// A row as the control renders it: "1" for each offered value, from 0 up.
inline std::string RowWith(TxRemoteParamType kind, std::initializer_list<int> values) {
  std::string row(FindSupportedParamRow(kind)->Length, '0');
  for (const int value : values) {
    row.at(static_cast<std::size_t>(value)) = '1';
  }
  return row;
}

class ProbeTest : public vostrel::test::SimulatedEOS {
protected:
  static constexpr const char* DefaultModel = "EOS Probe";

  void SetUp() override {
    SimulatedEOS::SetUp();
    const std::string testName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root =
        platform::joinPath(platform::temporaryFolder(), "vostrel-probe-" + testName + "-" +
                                                            std::to_string(std::random_device{}()));
    cacheFolder = platform::joinPath(root, "cache");
    UseCamera(DefaultModel, nlohmann::json::object());
  }

  void TearDown() override {
    SimulatedEOS::TearDown();
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(root), ignored);
  }

  // Starts over with one camera of the model whose properties differ from
  // the simulator's defaults as given (scenario format), connected through a
  // new controller. The call log starts empty.
  void UseCamera(const std::string& model, const nlohmann::json& properties) {
    controller->CloseCameraEnumeration();
    Sim().clearFailures();
    const nlohmann::json camera = {{"model", model}, {"properties", properties}};
    Sim().loadScenario(nlohmann::json{{"eos", {{"cameras", {camera}}}}}.dump());
    controller = std::make_unique<TVostrel>();
    controller->OpenCameraEnumeration();
    modelName = controller->Connect(CamModEOS, 0).CameraModelName;
    this->camera = EOSDeviceList().at(0);
    table = SupportedParamValuesType{};
    Sim().clearCallLog();
  }

  // Runs the probe on the connected camera; the percentages reported end up
  // in `progress`, also when the probe raises.
  void Probe(const std::string& cacheDirectory = "") {
    progress.clear();
    ProbeSupportedParams(camera, modelName, cacheDirectory, table,
                         [this](std::int32_t percent) { progress.push_back(percent); });
  }

  // The row of a kind as "0" and "1" characters.
  std::string Row(TxRemoteParamType kind) const {
    const SupportedParamRow& row = *FindSupportedParamRow(kind);
    std::string text;
    for (std::size_t i = 0; i < row.Length; ++i) {
      text += table.Flags.at(row.Offset + i) != 0 ? '1' : '0';
    }
    return text;
  }

  // The logged SDK calls, callbacks left out.
  static std::vector<LoggedCall> LoggedCalls() {
    std::vector<LoggedCall> calls;
    for (const std::string& line : Sim().callLogLines()) {
      const std::size_t open = line.find('(');
      const std::size_t close = line.rfind(") = ");
      if (line.rfind("callback ", 0) == 0 || open == std::string::npos ||
          close == std::string::npos) {
        continue;
      }
      LoggedCall call{line.substr(0, open), {}, 0};
      const std::string list = line.substr(open + 1, close - open - 1);
      for (std::size_t start = 0; !list.empty();) {
        const std::size_t comma = list.find(", ", start);
        call.arguments.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos) {
          break;
        }
        start = comma + 2;
      }
      call.result = static_cast<std::uint32_t>(std::stoul(line.substr(close + 4, 10), nullptr, 16));
      calls.push_back(call);
    }
    return calls;
  }

  // The data written to one property, in call order, taken or not.
  static std::vector<std::string> WrittenTo(EdsUInt32 property) {
    std::vector<std::string> data;
    for (const LoggedCall& call : LoggedCalls()) {
      if (call.function == "EdsSetPropertyData" && call.property() == property) {
        data.push_back(call.arguments.at(4));
      }
    }
    return data;
  }

  // The camera's properties with their values, as the simulator shows them.
  static nlohmann::json Settings() { return WorldCamera(0).at("properties"); }

  // The files below the test's own folder, as paths relative to it.
  std::vector<std::string> FilesBelowRoot() const {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(std::filesystem::path(root), error)) {
      if (entry.is_regular_file()) {
        files.push_back(
            std::filesystem::relative(entry.path(), std::filesystem::path(root)).generic_string());
      }
    }
    return files;
  }

  std::string modelName;
  EdsCameraRef camera = nullptr;
  SupportedParamValuesType table{};
  std::vector<std::int32_t> progress;
  // The test's own folder, and the cache folder inside it.
  std::string root;
  std::string cacheFolder;
};

} // namespace vostrel::eos::test
