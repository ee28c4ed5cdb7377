#pragma once
// A long run of a small rig: simulated EOS cameras, one controller each,
// shooting and fetching cycle after cycle while the simulator fails SDK
// calls at random (1 in 100 by default, from a seeded generator) and
// cameras are disconnected and connected again at random. The same seed
// gives the same run. Every picture that arrives, also those fetched again
// after a failure, is checked: whole, of its own camera and of exactly the
// shot expected. A failure must come as the component's message and leave
// no file behind; a picture may only go missing with a failure reported.
// Memory and handles are sampled as the run goes, so a leak shows as growth.
//
// The engine of the soak test (tests/rig) and of the soak program (bench/).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace vostrel::test {

struct SoakOptions {
  // The run ends after Cycles cycles or once KeepGoing says no.
  std::int64_t Cycles = 1000;
  std::function<bool()> KeepGoing = [] { return true; };
  std::uint32_t Seed = 1;
  int Cameras = 4;
  // Chance of each SDK call of a shoot-and-fetch cycle failing, and of a
  // camera being disconnected and connected again before a cycle.
  double FailureRate = 0.01;
  double ReconnectRate = 0.005;
  // Heap bytes in use, where the program can count them (0 otherwise).
  std::function<std::size_t()> HeapBytes = [] { return std::size_t{0}; };
  // Memory and handles are sampled every SampleEvery cycles.
  std::int64_t SampleEvery = 50;
};

struct SoakReport {
  std::int64_t Cycles = 0;
  std::int64_t FailuresInjected = 0; // SDK calls the simulator failed
  std::int64_t FailuresSeen = 0;     // calls of the controller that raised a message
  std::int64_t PicturesVerified = 0;
  std::int64_t PicturesLostWithMessage = 0; // whose fetch failed, reported
  std::int64_t Reconnects = 0;
  // Pictures that arrived damaged, under the wrong camera or out of turn,
  // pictures gone without a failure reported, files left behind.
  std::vector<std::string> Faults;
  // Memory and handles: the samples after the first tenth of the run are
  // split in halves; growth is the second half's highest sample above the
  // first half's (heap), or the last sample against the first (handles).
  std::int64_t HeapFirstHalf = 0;
  std::int64_t HeapSecondHalf = 0;
  std::int64_t HeapGrowth = 0;
  std::int64_t ReferenceGrowth = 0; // SDK references held by the host
  std::int64_t OpenFileGrowth = 0;  // open file descriptors (Linux), 0 elsewhere
};

// Runs the soak in the folder given (which it empties as it goes).
SoakReport RunSoak(const SoakOptions& options, const std::string& folder);

// What is wrong with a run: its faults, then growth of handles and heap
// growth above the tolerance. Empty for a sound run.
std::vector<std::string> SoakProblems(const SoakReport& report, std::int64_t heapTolerance);

std::string Describe(const SoakReport& report);

} // namespace vostrel::test
