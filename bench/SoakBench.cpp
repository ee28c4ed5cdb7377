// The long soak of a small rig (the engine of tests/rig/Soak.h): four
// simulated EOS cameras shooting and fetching cycle after cycle while 1 in
// 100 of the SDK calls of a cycle fail at random and cameras are
// disconnected and connected again at random, all seeded. Every picture is
// verified. Waits run on a fake clock, so the run goes as fast as the
// machine allows.
//
// Prints cycles, failures, pictures verified, heap growth and handle growth,
// and exits with status 1 when a picture was lost silently or arrived
// damaged, a failed fetch left a file, SDK references or open files grew,
// or the heap grew from the first half of the run to the second.
//
// Usage: bench_soak [--cycles N | --minutes M] [--seed S] [--failure-rate R]
//                   [--heap-tolerance BYTES]

#include "bench/HeapCounter.h"
#include "core/ECamException.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "rig/Soak.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <limits>
#include <stdexcept>
#include <string>

namespace vostrel::bench {
namespace {

struct Arguments {
  std::int64_t cycles = 20000;
  double minutes = 0;
  std::uint32_t seed = 1;
  double failureRate = 0.01;
  std::int64_t heapTolerance = 64 * 1024;
};

Arguments Parse(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (i + 1 >= argc) {
      throw std::invalid_argument(name + " needs a value");
    }
    const std::string value = argv[++i];
    if (name == "--cycles") {
      arguments.cycles = std::stoll(value);
    } else if (name == "--minutes") {
      arguments.minutes = std::stod(value);
    } else if (name == "--seed") {
      arguments.seed = static_cast<std::uint32_t>(std::stoul(value));
    } else if (name == "--failure-rate") {
      arguments.failureRate = std::stod(value);
    } else if (name == "--heap-tolerance") {
      arguments.heapTolerance = std::stoll(value);
    } else {
      throw std::invalid_argument("unknown option " + name);
    }
  }
  if (arguments.cycles <= 0 || arguments.minutes < 0 || arguments.failureRate < 0 ||
      arguments.failureRate > 1) {
    throw std::invalid_argument("cycles must be positive, minutes and the failure rate not "
                                "negative, the failure rate at most 1");
  }
  return arguments;
}

int Run(const Arguments& arguments) {
  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  const std::filesystem::path folder =
      std::filesystem::path(platform::temporaryFolder()) /
      ("vostrel-soak-" + std::to_string(arguments.seed) + "-" +
       std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);

  test::SoakOptions options;
  options.Seed = arguments.seed;
  options.FailureRate = arguments.failureRate;
  options.HeapBytes = LiveHeapBytes;
  options.Cycles = arguments.cycles;
  const auto start = std::chrono::steady_clock::now();
  if (arguments.minutes > 0) {
    // Real minutes, however far the fake clock went.
    options.Cycles = std::numeric_limits<std::int64_t>::max();
    const auto end = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double, std::ratio<60>>(arguments.minutes));
    options.KeepGoing = [end] { return std::chrono::steady_clock::now() < end; };
  }
  const test::SoakReport report = test::RunSoak(options, folder.string());
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);

  std::cout << "seed " << arguments.seed << ", " << seconds << " s\n"
            << test::Describe(report) << "\n";
  const std::vector<std::string> problems = test::SoakProblems(report, arguments.heapTolerance);
  for (const std::string& problem : problems) {
    std::cout << "FAIL: " << problem << "\n";
  }
  if (report.PicturesVerified == 0) {
    std::cout << "FAIL: no picture was verified\n";
    return 1;
  }
  return problems.empty() ? 0 : 1;
}

} // namespace
} // namespace vostrel::bench

int main(int argc, char** argv) {
  try {
    return vostrel::bench::Run(vostrel::bench::Parse(argc, argv));
  } catch (const vostrel::ECamException& error) {
    std::cerr << "bench_soak: " << error.message() << "\n";
  } catch (const std::exception& error) {
    std::cerr << "bench_soak: " << error.what() << "\n";
  }
  return 2;
}
