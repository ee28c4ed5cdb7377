// The viewfinder pipeline: frames of a simulated PR camera streamed at the
// highest rate it can make them, handed by the SDK to the controller's
// handler, which passes each through the control into the frame file
// 0.jpg, against the same frames written to a file straight from the SDK's
// callback. Both take the frames as fast as the camera sends them, so the
// ratio shows whether the stack keeps up with the camera; the latency from
// the SDK's callback to the closed file shows what each frame costs.
//
// Counters per run: the frames per second that arrived, the latency median
// and 99th percentile in microseconds, and the frames the camera dropped
// because the host was still busy with an earlier frame.

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "core/Vostrel.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "powershot_pr/PRTYPE.h"
#include "sim/SimControlClient.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::bench {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t FramesPerRun = 120;

// The camera sends frames of this size as fast as it can make them.
const char* const Scenario = R"json({
  "pr": { "cameras": [ { "model": "PowerShot Bench",
                         "viewfinder": { "width": 320, "height": 240,
                                         "framesPerSecond": 1000 } } ] }
})json";

// What one run saw: when each frame's callback began and when its file was
// closed.
class FrameClock {
public:
  void Begin() { started_ = Clock::now(); }
  void End() {
    const auto latency = Clock::now() - started_;
    std::lock_guard lock(mutex_);
    latencies_.push_back(std::chrono::duration<double, std::micro>(latency).count());
    done_.notify_all();
  }
  void Reset() {
    std::lock_guard lock(mutex_);
    latencies_.clear();
  }
  bool WaitFor(std::size_t frames) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(lock, std::chrono::seconds(30),
                          [&] { return latencies_.size() >= frames; });
  }
  // The latency at the fraction of the sorted latencies.
  double Percentile(double fraction) {
    std::lock_guard lock(mutex_);
    if (latencies_.empty()) {
      return 0;
    }
    std::vector<double> sorted = latencies_;
    std::sort(sorted.begin(), sorted.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return sorted[index];
  }

private:
  // Callbacks come one at a time from the camera's thread.
  Clock::time_point started_;
  std::mutex mutex_;
  std::condition_variable done_;
  std::vector<double> latencies_;
};

FrameClock frameClock;
std::string directFile;
std::int32_t controllerIndex = 0;

// The baseline's handler: the frame goes straight into the file.
prResponse PRCALLBACK WriteDirectly(prHandle, prContext, prUInt32 size, const std::uint8_t* frame) {
  frameClock.Begin();
  {
    std::ofstream file(directFile, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(frame), static_cast<std::streamsize>(size));
  }
  frameClock.End();
  return 0;
}

// The subject's handler: the controller's own, found through the instance
// registry; the control's host records the end when the file is written.
prResponse PRCALLBACK ThroughTheStack(prHandle camera, prContext, prUInt32 size,
                                      const std::uint8_t* frame) {
  frameClock.Begin();
  return TVostrel::PRViewfinderHandler(camera, static_cast<SDKContext>(controllerIndex), size,
                                       frame);
}

// The first simulated PR camera, opened through PRSDK.DLL itself and under
// release control.
class DirectCamera {
public:
  DirectCamera() : library_(platform::DynamicLibrary::open("PRSDK.DLL")) {
    if (!library_) {
      throw std::runtime_error("PRSDK.DLL is not next to the program");
    }
    sim_ = std::make_unique<sim::SimControlClient>(*library_);
    sim_->loadScenario(Scenario);
    Check(Resolve<PR_StartSDKFn>("PR_StartSDK")(), "PR_StartSDK");
    auto list = std::make_unique<prDeviceList>();
    prUInt32 size = sizeof(prDeviceList);
    Check(Resolve<PR_GetDeviceListFn>("PR_GetDeviceList")(&size, list.get()), "PR_GetDeviceList");
    Check(Resolve<PR_CreateCameraObjectFn>("PR_CreateCameraObject")(&list->DeviceInfo[0], &camera_),
          "PR_CreateCameraObject");
    Check(Resolve<PR_ConnectCameraFn>("PR_ConnectCamera")(camera_), "PR_ConnectCamera");
    Check(Resolve<PR_InitiateReleaseControlFn>("PR_InitiateReleaseControl")(camera_),
          "PR_InitiateReleaseControl");
  }
  ~DirectCamera() {
    Resolve<PR_TerminateReleaseControlFn>("PR_TerminateReleaseControl")(camera_);
    Resolve<PR_DestroyCameraObjectFn>("PR_DestroyCameraObject")(camera_);
    Resolve<PR_FinishSDKFn>("PR_FinishSDK")();
  }
  DirectCamera(const DirectCamera&) = delete;
  DirectCamera& operator=(const DirectCamera&) = delete;

  // Runs the viewfinder into the handler until FramesPerRun frames were
  // handled. Returns the frames the camera dropped meanwhile.
  std::uint64_t Run(prViewFinderCB handler) {
    const std::uint64_t droppedBefore = Dropped();
    frameClock.Reset();
    Check(Resolve<PR_RC_StartViewFinderFn>("PR_RC_StartViewFinder")(camera_, 0, handler),
          "PR_RC_StartViewFinder");
    const bool complete = frameClock.WaitFor(FramesPerRun);
    Check(Resolve<PR_RC_TermViewFinderFn>("PR_RC_TermViewFinder")(camera_), "PR_RC_TermViewFinder");
    if (!complete) {
      throw std::runtime_error("the camera sent too few frames");
    }
    return Dropped() - droppedBefore;
  }

private:
  template <typename Fn>
  Fn Resolve(const char* name) const {
    void* address = library_->symbol(name);
    if (address == nullptr) {
      throw std::runtime_error(std::string("PRSDK.DLL lacks ") + name);
    }
    return reinterpret_cast<Fn>(address);
  }
  static void Check(prResponse result, const char* name) {
    if (result != prOK) {
      throw std::runtime_error(std::string(name) + " failed");
    }
  }
  std::uint64_t Dropped() const {
    return nlohmann::json::parse(sim_->describeWorld())
        .at("pr")
        .at("cameras")
        .at(0)
        .at("viewfinder")
        .at("framesDropped")
        .get<std::uint64_t>();
  }

  std::unique_ptr<platform::DynamicLibrary> library_;
  std::unique_ptr<sim::SimControlClient> sim_;
  prHandle camera_ = 0;
};

void ReportRun(benchmark::State& state, double seconds, std::uint64_t frames,
               std::uint64_t dropped) {
  ReportRatio(state, "frames/s", static_cast<double>(frames) / seconds);
  ReportRatio(state, "latency median us", frameClock.Percentile(0.5));
  ReportRatio(state, "latency p99 us", frameClock.Percentile(0.99));
  ReportRatio(state, "dropped frames/run", static_cast<double>(dropped));
}

void FramesWrittenDirectly(benchmark::State& state) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  directFile = (folder / "vostrel-bench-frame.jpg").string();
  DirectCamera camera;
  std::uint64_t dropped = 0;
  std::uint64_t frames = 0;
  const auto started = Clock::now();
  for (auto _ : state) {
    dropped += camera.Run(&WriteDirectly);
    frames += FramesPerRun;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  ReportRun(state, seconds, frames,
            dropped / std::max<std::uint64_t>(1, static_cast<std::uint64_t>(state.iterations())));
  std::filesystem::remove(directFile);
}

void FramesThroughTheStack(benchmark::State& state) {
  TVostrelActiveX control;
  controllerIndex = control.Controller().GetInstanceIndex();
  // The host reads the frame file when it hears of it: the file is closed.
  control.OnViewfinderEvent = [](const std::string&) { frameClock.End(); };
  DirectCamera camera;
  std::uint64_t dropped = 0;
  std::uint64_t frames = 0;
  const auto started = Clock::now();
  for (auto _ : state) {
    dropped += camera.Run(&ThroughTheStack);
    frames += FramesPerRun;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  ReportRun(state, seconds, frames,
            dropped / std::max<std::uint64_t>(1, static_cast<std::uint64_t>(state.iterations())));
}

[[maybe_unused]] const bool registered =
    RegisterPair("Viewfinder frames to a file", FramesWrittenDirectly, FramesThroughTheStack);

} // namespace
} // namespace vostrel::bench
