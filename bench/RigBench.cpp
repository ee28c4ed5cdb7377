// Release skew of a camera rig: N simulated EOS cameras, one controller
// each, fired together (one thread per camera let go by one barrier) against
// the same cameras released one after the other in a loop, in the same run.
// The simulator notes on its own clock when each release was asked for; the
// skew of a camera in a round is its release time minus the round's first.
// Printed per rig size: p50, p99 and max of the skew over every camera of
// every round, for both ways, and the ratio of the loop's p99 to the joint
// one.
//
// Usage: bench_rig [--rounds N] [--cameras 8,32,64]

#include "bench/BenchSupport.h"
#include "bench/SimulatedCamera.h"
#include "core/ReleaseTogether.h"
#include "core/Vostrel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::bench {
namespace {

struct Skew {
  double p50 = 0, p99 = 0, max = 0; // milliseconds
};

Skew Summarise(std::vector<double> offsets) {
  std::sort(offsets.begin(), offsets.end());
  const auto at = [&](double fraction) {
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(offsets.size() - 1));
    return offsets[index];
  };
  return {at(0.50), at(0.99), offsets.back()};
}

std::string RigScenario(int cameras) {
  nlohmann::json list = nlohmann::json::array();
  for (int i = 0; i < cameras; ++i) {
    list.push_back(
        {{"model", "Rig " + std::to_string(i)}, {"bodyId", 9000 + i}, {"availableShots", 9000}});
  }
  return nlohmann::json{{"eos", {{"cameras", list}}}}.dump();
}

// The release times of the last round, one per camera.
std::vector<std::int64_t> ReleaseTimes(int cameras) {
  const nlohmann::json world = nlohmann::json::parse(Simulator().describeWorld());
  std::vector<std::int64_t> times;
  for (int i = 0; i < cameras; ++i) {
    times.push_back(world.at("eos").at("cameras").at(i).at("lastReleaseNanoseconds"));
  }
  return times;
}

void AddOffsets(const std::vector<std::int64_t>& times, std::vector<double>& offsets) {
  const std::int64_t first = *std::min_element(times.begin(), times.end());
  for (const std::int64_t time : times) {
    offsets.push_back(static_cast<double>(time - first) / 1e6);
  }
}

struct RigResult {
  Skew together;
  Skew loop;
};

RigResult MeasureRig(int cameras, int rounds) {
  SimulatedWorld world(RigScenario(cameras));
  Simulator().setSynchronousCallbacks(false);
  std::vector<std::unique_ptr<TVostrel>> controllers;
  std::vector<TVostrel*> pointers;
  for (int i = 0; i < cameras; ++i) {
    controllers.push_back(std::make_unique<TVostrel>());
    if (i == 0) {
      controllers.back()->OpenCameraEnumeration();
    }
    controllers.back()->Connect(CamModEOS, i);
    // The pictures stay on the cards: the release is what is measured.
    controllers.back()->RemoteStart(ReleaseModeType::ReleaseModeOnlyToCamera,
                                    ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    pointers.push_back(controllers.back().get());
  }
  std::vector<double> together;
  std::vector<double> loop;
  for (int round = 0; round < rounds; ++round) {
    for (const ReleaseOutcome& outcome : RemoteTakePictureTogether(pointers)) {
      if (!outcome.Released()) {
        throw std::runtime_error("a camera did not release: " + outcome.Error);
      }
    }
    Simulator().waitIdle();
    AddOffsets(ReleaseTimes(cameras), together);
    for (TVostrel* controller : pointers) {
      controller->RemoteTakePicture();
    }
    Simulator().waitIdle();
    AddOffsets(ReleaseTimes(cameras), loop);
  }
  for (auto& controller : controllers) {
    controller->Disconnect();
  }
  controllers.front()->CloseCameraEnumeration();
  return {Summarise(together), Summarise(loop)};
}

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  std::stringstream stream(text);
  for (std::string item; std::getline(stream, item, ',');) {
    sizes.push_back(std::max(1, std::atoi(item.c_str())));
  }
  return sizes;
}

} // namespace
} // namespace vostrel::bench

int main(int argc, char** argv) {
  using namespace vostrel::bench;
  int rounds = 20;
  std::vector<int> sizes = {8, 32, 64};
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") {
      rounds = std::max(1, std::atoi(argv[i + 1]));
    } else if (option == "--cameras") {
      sizes = ParseSizes(argv[i + 1]);
    } else {
      std::cerr << "usage: bench_rig [--rounds N] [--cameras 8,32,64]\n";
      return 2;
    }
  }
  try {
    std::printf("Release skew in ms over %d rounds (p50 / p99 / max)\n", rounds);
    std::printf("%8s  %-26s  %-26s  %s\n", "cameras", "together (barrier)", "one after another",
                "p99 loop / together");
    for (const int cameras : sizes) {
      const RigResult result = MeasureRig(cameras, rounds);
      char together[64];
      char loop[64];
      std::snprintf(together, sizeof together, "%.3f / %.3f / %.3f", result.together.p50,
                    result.together.p99, result.together.max);
      std::snprintf(loop, sizeof loop, "%.3f / %.3f / %.3f", result.loop.p50, result.loop.p99,
                    result.loop.max);
      char ratio[32];
      std::snprintf(ratio, sizeof ratio, "%.1f",
                    result.together.p99 > 0 ? result.loop.p99 / result.together.p99 : 0.0);
      std::printf("%8d  %-26s  %-26s  %s\n", cameras, together, loop, ratio);
      std::fflush(stdout);
      const std::string rig = "Release skew ms of " + std::to_string(cameras) + " cameras";
      AppendToSummary("bench_rig", {{rig + " together (p50 / p99 / max)", together},
                                    {rig + " one after another (p50 / p99 / max)", loop},
                                    {rig + ": p99 one after another / together", ratio}});
    }
  } catch (const std::exception& error) {
    std::cerr << "bench_rig: " << error.what() << '\n';
    return 1;
  }
  return 0;
}
