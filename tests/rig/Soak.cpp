#include "rig/Soak.h"

#include "core/ECamException.h"
#include "core/Vostrel.h"
#include "platform/FileSystem.h"
#include "sim/world/Jpeg.h"
#include "sim/world/TestPattern.h"
#include "support/SimulatedEDSDK.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>

namespace vostrel::test {

namespace {

constexpr std::uint32_t BodyIdBase = 8100;
// What the EOS controller says when no released picture is queued.
constexpr const char* NothingQueued = "There are no pictures to download";
// Fetch attempts per cycle before a camera's queue is left for the next one.
constexpr int FetchAttempts = 4;
// Samples of memory and handles kept at most (one more, at the end).
constexpr std::size_t MaximumSamples = 4096;

// The calls of a shoot-and-fetch cycle that fail at random, with the
// results a camera gives when it fails them.
struct Injectable {
  const char* entryPoint;
  std::uint32_t result;
};
constexpr Injectable Injectables[] = {
    {"EdsSendCommand", 0x00000081},
    {"EdsCreateFileStream", 0x00000023},
    {"EdsGetDirectoryItemInfo", 0x00000002},
    {"EdsSetProgressCallback", 0x00000002},
    {"EdsDownload", 0x00000081},
    {"EdsDownloadComplete", 0x00000081},
};
// EdsRelease is left out: a reference the SDK refuses to release stays
// held by the SDK, which no host can mend, and would show as growth.

std::string Scenario(int cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (int i = 0; i < cameras; ++i) {
    list.push_back({{"model", "Soak " + std::to_string(i)},
                    {"bodyId", BodyIdBase + static_cast<std::uint32_t>(i)},
                    {"availableShots", 1000000}});
  }
  return nlohmann::json{{"eos", {{"cameras", list}}}}.dump();
}

std::vector<std::uint32_t> ReleaseCounts() {
  const nlohmann::json world = nlohmann::json::parse(SimulatedEDSDK().describeWorld());
  std::vector<std::uint32_t> counts;
  for (const auto& camera : world.at("eos").at("cameras")) {
    counts.push_back(camera.at("releaseCount").get<std::uint32_t>());
  }
  return counts;
}

std::int64_t OpenFiles() {
#if defined(__linux__)
  std::error_code error;
  std::int64_t count = 0;
  for (std::filesystem::directory_iterator entry("/proc/self/fd", error), end;
       !error && entry != end; entry.increment(error)) {
    ++count;
  }
  return count;
#else
  return 0;
#endif
}

bool FolderIsEmpty(const std::string& folder) {
  return std::filesystem::is_empty(std::filesystem::path(folder));
}

// A released picture that the camera's controller should deliver.
struct Expected {
  std::uint32_t shot = 0;
  bool fetchFailed = false; // a fetch failed with a message while it was the oldest
};

class SoakCamera {
public:
  SoakCamera(int number, SoakReport& report) : number_(number), report_(report) {
    controller_.OnRemoteEvent = [this](RemoteEventCallbackType event,
                                       const AdditionNotifyRemoteEventType& data) {
      if (event == RemoteEventCallbackType::RemoteEventCallbackReleaseImageReady &&
          data.TypeOfPicture == TypeOfPictureType::TypeOfPicturePicture) {
        ++announced_;
      }
    };
  }

  TVostrel& Controller() { return controller_; }
  int Number() const { return number_; }
  int Announced() const { return announced_; }

  // Connects, trying again after a failure (connecting is not what the
  // soak is about, but it must not give up on a camera).
  void Connect(std::int64_t cycle) {
    for (int attempt = 0;; ++attempt) {
      try {
        controller_.Connect(CamModEOS, number_);
        controller_.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                                ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
        return;
      } catch (const ECamException& error) {
        ++report_.FailuresSeen;
        Disconnect();
        if (attempt == 20) {
          Fault(cycle, "could not connect: " + error.message());
          return;
        }
      }
    }
  }

  void Disconnect() {
    try {
      controller_.Disconnect();
    } catch (const ECamException&) {
      // The controller forgets the camera all the same.
    }
  }

  // Takes one picture; what the camera released (even for a release that
  // reported a failure) is expected at the controller.
  void Release(std::int64_t cycle, std::uint32_t releasesBefore, std::uint32_t releasesAfter,
               bool reported) {
    for (std::uint32_t shot = releasesBefore + 1; shot <= releasesAfter; ++shot) {
      pending_.push_back({shot, false});
    }
    if (!reported && releasesAfter != releasesBefore + 1) {
      Fault(cycle, "a release that succeeded took " +
                       std::to_string(releasesAfter - releasesBefore) + " pictures");
    }
  }

  // Fetches until nothing is queued, checking every picture that arrives;
  // gives up for this cycle after a few failures in a row.
  void Fetch(std::int64_t cycle, const std::string& folder) {
    const std::string target = platform::joinPath(folder, "picture.jpg");
    for (int failures = 0; failures < FetchAttempts;) {
      try {
        controller_.RemoteGetPicture(target, PictureTypeFull);
        Verify(cycle, target);
        platform::removeFile(target);
      } catch (const ECamException& error) {
        if (error.message() == NothingQueued) {
          Forget(cycle);
          return;
        }
        ++failures;
        ++report_.FailuresSeen;
        if (error.message().empty()) {
          Fault(cycle, "a failure without message");
        }
        if (!pending_.empty()) {
          pending_.front().fetchFailed = true;
        }
        if (!FolderIsEmpty(folder)) {
          Fault(cycle, "a failed fetch left a file (" + error.message() + ")");
          std::filesystem::remove_all(folder);
          std::filesystem::create_directories(folder);
        }
      }
    }
  }

  // Pictures still expected once the controller has none: each must have
  // failed with a message, else it was lost silently.
  void Forget(std::int64_t cycle) {
    for (const Expected& expected : pending_) {
      Lose(cycle, expected);
    }
    pending_.clear();
    announced_ = 0;
  }

  bool Idle() const { return pending_.empty(); }

private:
  void Verify(std::int64_t cycle, const std::string& target) {
    const std::vector<std::uint8_t> bytes = platform::readFile(target);
    sim::ShotMark mark{};
    try {
      mark = sim::readShotMark(sim::decodeJpeg(bytes));
    } catch (const sim::JpegError& error) {
      Fault(cycle, std::string("a picture that does not decode: ") + error.what());
      return;
    }
    const std::uint32_t bodyId = BodyIdBase + static_cast<std::uint32_t>(number_);
    if (mark.bodyId != bodyId || sim::jpegComment(bytes) != sim::shotMarkComment(mark)) {
      Fault(cycle, "a picture that reads \"" + sim::jpegComment(bytes) + "\"");
      return;
    }
    // The oldest picture still queued arrives: those released before it
    // may only be missing after a failed fetch.
    const auto found = std::find_if(pending_.begin(), pending_.end(),
                                    [&](const Expected& e) { return e.shot == mark.shot; });
    if (found == pending_.end()) {
      Fault(cycle, "shot " + std::to_string(mark.shot) + " arrived unexpected");
      return;
    }
    for (auto skipped = pending_.begin(); skipped != found; ++skipped) {
      Lose(cycle, *skipped);
    }
    pending_.erase(pending_.begin(), found + 1);
    ++report_.PicturesVerified;
  }

  void Lose(std::int64_t cycle, const Expected& expected) {
    if (expected.fetchFailed) {
      ++report_.PicturesLostWithMessage;
    } else {
      Fault(cycle, "shot " + std::to_string(expected.shot) + " was lost without a failure");
    }
  }

  void Fault(std::int64_t cycle, const std::string& what) {
    report_.Faults.push_back("cycle " + std::to_string(cycle) + ", camera " +
                             std::to_string(number_) + ": " + what);
  }

  int number_;
  SoakReport& report_;
  TVostrel controller_;
  int announced_ = 0;
  std::deque<Expected> pending_;
};

struct Sample {
  std::int64_t heap = 0;
  std::int64_t references = 0;
  std::int64_t openFiles = 0;
};

void Summarise(const std::vector<Sample>& samples, SoakReport& report) {
  // The first tenth settles caches and buffers.
  const std::size_t settled = samples.size() / 10;
  if (samples.size() - settled < 2) {
    return;
  }
  const std::size_t middle = settled + (samples.size() - settled) / 2;
  const auto highest = [&](std::size_t from, std::size_t to) {
    std::int64_t top = samples[from].heap;
    for (std::size_t i = from; i < to; ++i) {
      top = std::max(top, samples[i].heap);
    }
    return top;
  };
  report.HeapFirstHalf = highest(settled, middle);
  report.HeapSecondHalf = highest(middle, samples.size());
  report.HeapGrowth = report.HeapSecondHalf - report.HeapFirstHalf;
  report.ReferenceGrowth = samples.back().references - samples[settled].references;
  report.OpenFileGrowth = samples.back().openFiles - samples[settled].openFiles;
}

} // namespace

SoakReport RunSoak(const SoakOptions& options, const std::string& folder) {
  sim::SimControlClient& sim = SimulatedEDSDK();
  sim.clearFailures();
  sim.loadScenario(Scenario(options.Cameras));
  sim.setSynchronousCallbacks(true);
  sim.seedRandomFailures(options.Seed);
  std::mt19937 random(options.Seed);
  std::uniform_real_distribution<double> chance(0.0, 1.0);

  SoakReport report;
  std::vector<std::unique_ptr<SoakCamera>> cameras;
  for (int i = 0; i < options.Cameras; ++i) {
    cameras.push_back(std::make_unique<SoakCamera>(i, report));
  }
  cameras.front()->Controller().OpenCameraEnumeration();
  for (auto& camera : cameras) {
    camera->Connect(-1);
  }
  const std::uint64_t injectedBefore = sim.injectedFailures();
  for (const Injectable& call : Injectables) {
    sim.injectRandomFailure(call.entryPoint, call.result, options.FailureRate);
  }

  // The samples keep to the room reserved here, so that they do not show
  // as growth themselves: when it is full, every other sample goes and
  // samples are taken half as often.
  std::vector<Sample> samples;
  samples.reserve(MaximumSamples);
  std::int64_t sampleEvery = std::max<std::int64_t>(1, options.SampleEvery);
  std::vector<std::uint32_t> releases = ReleaseCounts();
  std::int64_t cycle = 0;
  for (; cycle < options.Cycles && options.KeepGoing(); ++cycle) {
    if (cycle % sampleEvery == 0) {
      if (samples.size() == MaximumSamples) {
        for (std::size_t i = 0; i < MaximumSamples / 2; ++i) {
          samples[i] = samples[2 * i];
        }
        samples.resize(MaximumSamples / 2);
        sampleEvery *= 2;
      }
      if (cycle % sampleEvery == 0) {
        samples.push_back({static_cast<std::int64_t>(options.HeapBytes()),
                           static_cast<std::int64_t>(sim.liveReferences()), OpenFiles()});
      }
    }
    SoakCamera& camera = *cameras[static_cast<std::size_t>(cycle % options.Cameras)];
    const auto number = static_cast<std::size_t>(camera.Number());
    // The call log would grow up to its limit: it is not what is measured.
    sim.clearCallLog();
    if (chance(random) < options.ReconnectRate) {
      camera.Fetch(cycle, folder);
      camera.Disconnect();
      // What was still queued (after fetches failed) went with the connection.
      camera.Forget(cycle);
      camera.Connect(cycle);
      ++report.Reconnects;
    }
    const int announcedBefore = camera.Announced();
    bool reported = false;
    try {
      camera.Controller().RemoteTakePicture();
    } catch (const ECamException&) {
      ++report.FailuresSeen;
      reported = true;
    }
    const std::vector<std::uint32_t> now = ReleaseCounts();
    camera.Release(cycle, releases[number], now[number], reported);
    if (camera.Announced() - announcedBefore != static_cast<int>(now[number] - releases[number])) {
      report.Faults.push_back("cycle " + std::to_string(cycle) + ", camera " +
                              std::to_string(number) + ": a release announced nothing");
    }
    releases = now;
    camera.Fetch(cycle, folder);
  }
  report.Cycles = cycle;

  // What is left is fetched without failures: nothing may be missing.
  sim.clearFailures();
  for (auto& camera : cameras) {
    camera->Fetch(cycle, folder);
  }
  // The state after the last cycle takes the place of the last sample.
  const Sample last{static_cast<std::int64_t>(options.HeapBytes()),
                    static_cast<std::int64_t>(sim.liveReferences()), OpenFiles()};
  if (samples.empty()) {
    samples.push_back(last);
  } else {
    samples.back() = last;
  }
  report.FailuresInjected = static_cast<std::int64_t>(sim.injectedFailures() - injectedBefore);
  std::int64_t released = 0;
  for (const std::uint32_t count : ReleaseCounts()) {
    released += count;
  }
  if (released != report.PicturesVerified + report.PicturesLostWithMessage) {
    report.Faults.push_back(std::to_string(released) + " pictures released, " +
                            std::to_string(report.PicturesVerified) + " verified and " +
                            std::to_string(report.PicturesLostWithMessage) +
                            " lost with a message");
  }
  Summarise(samples, report);
  for (auto& camera : cameras) {
    camera->Disconnect();
  }
  cameras.front()->Controller().CloseCameraEnumeration();
  return report;
}

std::vector<std::string> SoakProblems(const SoakReport& report, std::int64_t heapTolerance) {
  std::vector<std::string> problems = report.Faults;
  if (report.ReferenceGrowth != 0) {
    problems.push_back("SDK references grew by " + std::to_string(report.ReferenceGrowth));
  }
  if (report.OpenFileGrowth != 0) {
    problems.push_back("open files grew by " + std::to_string(report.OpenFileGrowth));
  }
  if (report.HeapGrowth > heapTolerance) {
    problems.push_back("the heap grew by " + std::to_string(report.HeapGrowth) +
                       " bytes from the first half of the run to the second");
  }
  return problems;
}

std::string Describe(const SoakReport& report) {
  std::ostringstream text;
  text << report.Cycles << " cycles, " << report.FailuresInjected << " failures injected, "
       << report.FailuresSeen << " failures seen, " << report.PicturesVerified
       << " pictures verified, " << report.PicturesLostWithMessage << " lost with a message, "
       << report.Reconnects << " reconnects, heap " << report.HeapFirstHalf << " -> "
       << report.HeapSecondHalf << " bytes (growth " << report.HeapGrowth << "), reference growth "
       << report.ReferenceGrowth << ", open file growth " << report.OpenFileGrowth << ", "
       << report.Faults.size() << " faults";
  for (const std::string& fault : report.Faults) {
    text << "\n  " << fault;
  }
  return text.str();
}

} // namespace vostrel::test
