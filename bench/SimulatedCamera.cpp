#include "bench/SimulatedCamera.h"

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "core/Vostrel.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>

#include <unistd.h>

namespace vostrel::bench {

sim::SimControlClient& Simulator() {
  static const std::unique_ptr<platform::DynamicLibrary> library =
      platform::DynamicLibrary::open("EDSDK.DLL");
  if (!library) {
    throw std::runtime_error("EDSDK.DLL is not next to the benchmark program");
  }
  static sim::SimControlClient client(*library);
  return client;
}

void ReportSdkCalls(benchmark::State& state, const std::function<void()>& operation) {
  Simulator().clearCallLog();
  operation();
  std::size_t calls = 0;
  for (const std::string& line : Simulator().callLogLines()) {
    calls += line.rfind("callback ", 0) == 0 ? 0 : 1;
  }
  ReportRatio(state, "SDK calls/operation", static_cast<double>(calls));
}

nlohmann::json DataFile(const std::string& path, std::size_t bytes) {
  return {{"path", path}, {"kind", "data"}, {"text", std::string(bytes, 'x')}};
}

std::string OneCameraScenario(const nlohmann::json& files) {
  nlohmann::json camera = {
      {"model", "EOS Bench"},
      {"volumes", nlohmann::json::array(
                      {{{"label", "CF"}, {"capacityKilobytes", 4194304}, {"files", files}}})}};
  return nlohmann::json{{"eos", {{"cameras", nlohmann::json::array({camera})}}}}.dump();
}

SimulatedWorld::SimulatedWorld(const std::string& scenario) {
  Simulator().clearFailures();
  Simulator().loadScenario(scenario);
  // A scenario brings its own callback mode, so this follows the load.
  Simulator().setSynchronousCallbacks(true);
}

platform::Milliseconds CountedPauses::now() const {
  return real_.now() + platform::Milliseconds(skippedMilliseconds_.load());
}

void CountedPauses::sleep(platform::Milliseconds duration) {
  ++count_;
  if (mode_ == Mode::Skip) {
    skippedMilliseconds_ += duration.count();
    return;
  }
  const auto started = std::chrono::steady_clock::now();
  real_.sleep(duration);
  nanoseconds_ += std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now() - started)
                      .count();
}

void StartRemoteMode(TVostrel& controller) {
  controller.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                         ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
}

void StartRemoteMode(TVostrelActiveX& control) {
  control.RemoteStart(ReleaseModeOnlyToPC, ReleaseDataKindTakeOnlyPicture, false, "");
}

ScratchFolder::ScratchFolder() {
  static std::atomic<int> counter{0};
  path_ = std::filesystem::path(platform::temporaryFolder()) /
          ("vostrel-bench-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

} // namespace vostrel::bench
