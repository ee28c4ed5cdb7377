// The shared main of the benchmark programs: what it prints after the runs
// and the exit status by which a smoke test notices a broken benchmark.

#include "bench/BenchSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

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

} // namespace
} // namespace vostrel::bench
