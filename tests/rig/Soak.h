#pragma once
// A long run of a small rig: four simulated EOS cameras, one controller
// each, shooting and fetching cycle after cycle while SDK calls fail at
// random (1 in 100 by default) and cameras are disconnected and connected
// again at random. Seeded: the same seed gives the same run. Every picture
// that arrives is checked (whole, and marked with its camera and shot); a
// failure must come as the component's message and leave no file behind.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vostrel::test {

struct SoakOptions {
  std::int64_t Cycles = 1000;
  std::uint32_t Seed = 1;
  int Cameras = 4;
  // Chance of an injected SDK failure per cycle, and of a disconnect.
  double FailureRate = 0.01;
  double ReconnectRate = 0.005;
  // Heap bytes in use, where the program can count them (0 otherwise).
  std::function<std::size_t()> HeapBytes = [] { return std::size_t{0}; };
};

struct SoakReport {
  std::int64_t Cycles = 0;
  std::int64_t FailuresInjected = 0;
  std::int64_t FailuresSeen = 0; // fetches or releases that failed with a message
  std::int64_t PicturesVerified = 0;
  std::int64_t Reconnects = 0;
  // Faults: pictures that arrived damaged or under the wrong camera, files
  // left behind by failed fetches, announced pictures that never arrived.
  std::vector<std::string> Faults;
  // Growth between the end of the first tenth of the run and its end.
  std::int64_t HeapGrowth = 0;
  std::int64_t ReferenceGrowth = 0;
};

// Runs the soak in the folder given (which it empties as it goes).
SoakReport RunSoak(const SoakOptions& options, const std::string& folder);

std::string Describe(const SoakReport& report);

} // namespace vostrel::test
