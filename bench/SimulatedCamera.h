#pragma once
// Benchmarks on a simulated EOS camera: the simulated EDSDK.DLL next to the
// program, scenarios of one camera with the files a benchmark needs, a
// controller or control connected to it, and a scratch folder for the
// downloaded files.
//
// While a SimulatedWorld exists, callbacks run on the thread of the SDK call
// that causes them, and the component's waits (the pause after each progress
// report, the retry interval of refused writes) go to a fake clock: the
// benchmarks measure the work, not the deliberate pauses. CountedPauses
// takes the pauses for real where they themselves are measured.

#include "core/CamDefines.h"
#include "platform/Clock.h"
#include "sim/SimControlClient.h"

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>

namespace vostrel {
class TVostrel;
class TVostrelActiveX;
} // namespace vostrel

namespace vostrel::bench {

// The control interface of the simulated EDSDK.DLL that the component loads.
sim::SimControlClient& Simulator();

// Runs the operation once more and reports the SDK calls it made, from the
// simulator's call log, as the ratio counter "SDK calls/operation".
void ReportSdkCalls(benchmark::State& state, const std::function<void()>& operation);

// A card file entry of the scenario format: a data file of `bytes` bytes.
nlohmann::json DataFile(const std::string& path, std::size_t bytes);

// A scenario of one EOS camera whose card holds these file entries (paths or
// file objects).
std::string OneCameraScenario(const nlohmann::json& files);

// The scenario loaded for the life of the object.
class SimulatedWorld {
public:
  explicit SimulatedWorld(const std::string& scenario);
  SimulatedWorld(const SimulatedWorld&) = delete;
  SimulatedWorld& operator=(const SimulatedWorld&) = delete;

private:
  platform::FakeClock clock_;
  platform::ScopedClock useClock_{clock_};
};

// A clock for the life of the object, inside a SimulatedWorld, that counts
// the component's pauses and either takes them for real (their real time
// is measured) or skips them outright. Skipping differs from the world's
// fake clock in that a pause does not yield the thread either, which on a
// loaded machine can hand the processor away for a whole time slice. For
// code without waits on other threads only (a skipped pause is no poll).
class CountedPauses final : public platform::Clock {
public:
  enum class Mode { Skip, Real };
  explicit CountedPauses(Mode mode) : mode_(mode) {}
  CountedPauses(const CountedPauses&) = delete;
  CountedPauses& operator=(const CountedPauses&) = delete;

  platform::Milliseconds now() const override;
  void sleep(platform::Milliseconds duration) override;

  // The pauses so far, and the real time they took in seconds.
  long Count() const { return count_.load(); }
  double Seconds() const { return static_cast<double>(nanoseconds_.load()) / 1e9; }

private:
  const Mode mode_;
  platform::SystemClock real_;
  std::atomic<long> count_{0};
  std::atomic<long long> nanoseconds_{0};
  std::atomic<long long> skippedMilliseconds_{0};
  platform::ScopedClock useClock_{*this};
};

// A controller (TVostrel) or control (TVostrelActiveX) connected to camera 0
// of the loaded world. On destruction it leaves remote mode, disconnects and
// closes the enumeration; refusals of what was not running do not matter.
template <typename Component>
class Connected {
public:
  Connected() {
    component.OpenCameraEnumeration();
    component.Connect(CamModEOS, 0);
  }
  ~Connected() {
    Quietly([this] { component.RemoteEnd(); });
    Quietly([this] { component.Disconnect(); });
    Quietly([this] { component.CloseCameraEnumeration(); });
  }
  Connected(const Connected&) = delete;
  Connected& operator=(const Connected&) = delete;

  Component component;

private:
  template <typename Action>
  static void Quietly(Action&& action) noexcept {
    try {
      action();
    } catch (...) {
    }
  }
};

// Remote mode without probing, released pictures to the PC.
void StartRemoteMode(TVostrel& controller);
void StartRemoteMode(TVostrelActiveX& control);

// A folder of its own below the system's temporary folder, removed with
// everything in it.
class ScratchFolder {
public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
  std::filesystem::path path_;
};

} // namespace vostrel::bench
