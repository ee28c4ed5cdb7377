// The shared main of the benchmark programs: what it prints after the runs
// and the exit status by which a smoke test notices a broken benchmark.

#include "bench/BenchSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <stdlib.h>
#include <unistd.h>

namespace vostrel::bench {
namespace {

[[maybe_unused]] const bool registered =
    RegisterPair(
        "Sample",
        [](benchmark::State& state) {
          for (auto _ : state) {
          }
          ReportRatio(state, "share", 0.5);
        },
        [](benchmark::State& state) {
          for (auto _ : state) {
          }
          state.counters["not a ratio"] = 7;
        }) &&
    RegisterPair(
        "Broken",
        [](benchmark::State& state) {
          for (auto _ : state) {
          }
        },
        [](benchmark::State&) { throw std::runtime_error("no camera"); });

// Runs Main on the benchmarks whose names match the filter; returns its exit
// status and fills in what it printed.
int RunMain(const std::string& filter, std::string& output) {
  std::vector<std::string> arguments = {"bench", "--benchmark_filter=" + filter,
                                        "--benchmark_min_time=0.001"};
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  const int status = Main(static_cast<int>(arguments.size()), argv.data());
  output = testing::internal::GetCapturedStdout();
  return status;
}

TEST(BenchSupportTest, PrintsTheRatioOfEachPairAndItsRatioCounters) {
  std::string output;
  EXPECT_EQ(RunMain("Sample", output), 0);
  const std::size_t table = output.find("Ratios of real time per iteration");
  ASSERT_NE(table, std::string::npos) << output;
  // Every benchmark measures real time, which the names leave out.
  EXPECT_NE(output.find("\n  Sample  ", table), std::string::npos) << output;
  EXPECT_NE(output.find("\n  Sample/baseline: share  0.5\n", table), std::string::npos) << output;
  EXPECT_EQ(output.find("not a ratio", table), std::string::npos) << output;
}

TEST(BenchSupportTest, ABenchmarkThatRaisesFailsTheProgramWithItsMessage) {
  std::string output;
  EXPECT_EQ(RunMain("Broken", output), 1);
  EXPECT_NE(output.find("no camera"), std::string::npos) << output;
  EXPECT_NE(output.find("Broken  no subject run"), std::string::npos) << output;
}

TEST(BenchSupportTest, AppendsItsRowsToTheSummaryFileTheEnvironmentNames) {
  const std::filesystem::path summary =
      std::filesystem::temp_directory_path() /
      ("vostrel-bench-summary-" + std::to_string(getpid()) + ".tsv");
  {
    std::ofstream earlier(summary);
    earlier << "bench_other\tEarlier\t1\n";
  }
  setenv("VOSTREL_BENCH_SUMMARY", summary.c_str(), 1);
  std::string output;
  const int status = RunMain("Sample", output);
  unsetenv("VOSTREL_BENCH_SUMMARY");
  EXPECT_EQ(status, 0);

  std::ifstream file(summary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) {
    lines.push_back(line);
  }
  std::filesystem::remove(summary);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "bench_other\tEarlier\t1");
  EXPECT_EQ(lines[1].rfind("bench\tSample\t", 0), 0u) << lines[1];
  EXPECT_NE(lines[1].find(" = "), std::string::npos) << lines[1];
  EXPECT_EQ(lines[2], "bench\tSample/baseline: share\t0.5");
}

} // namespace
} // namespace vostrel::bench
