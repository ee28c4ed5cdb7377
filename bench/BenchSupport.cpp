#include "bench/BenchSupport.h"

#include "bench/RatioTable.h"

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <utility>

#include <malloc.h>
#include <unistd.h>

namespace vostrel::bench {

namespace {

std::set<std::string>& RatioCounterNames() {
  static std::set<std::string> names;
  return names;
}

void Register(const std::string& name, Body body) {
  benchmark::RegisterBenchmark(name.c_str(), [body = std::move(body)](benchmark::State& state) {
    try {
      body(state);
    } catch (const std::exception& error) {
      state.SkipWithError(error.what());
    }
  })->UseRealTime();
}

// The console output of the benchmark library, and after it the ratio
// table of the runs.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Color : OO_None) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred) {
        Failed = true;
        continue;
      }
      if (run.run_type != Run::RT_Iteration || run.iterations == 0) {
        continue;
      }
      std::map<std::string, double> ratios;
      for (const auto& [name, counter] : run.counters) {
        if (RatioCounterNames().count(name) != 0) {
          ratios[name] = counter.value;
        }
      }
      // Every benchmark measures real time, so the table leaves that out of
      // the names.
      benchmark::BenchmarkName name = run.run_name;
      name.time_type.clear();
      Table.Add(name.str(), run.real_accumulated_time / static_cast<double>(run.iterations),
                ratios);
    }
  }

  void Finalize() override {
    const std::string table = Table.Render();
    if (!table.empty()) {
      GetOutputStream() << "\n" << table << std::flush;
    }
  }

  bool Failed = false;
  RatioTable Table;
};

// Serves every allocation of up to 32 MiB from the heap and keeps freed
// memory for reuse. Otherwise large buffers come fresh from the system each
// time, the page faults of touching them outweigh the work measured, and
// how many there are depends on which benchmarks ran before.
void KeepHeapWarm() {
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
}

} // namespace

bool RegisterPair(const std::string& name, Body baseline, Body subject) {
  Register(name + "/baseline", std::move(baseline));
  Register(name + "/subject", std::move(subject));
  return true;
}

void ReportRatio(benchmark::State& state, const std::string& counter, double value) {
  RatioCounterNames().insert(counter);
  state.counters[counter] = benchmark::Counter(value);
}

int Main(int argc, char** argv) {
  KeepHeapWarm();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::vector<std::pair<std::string, std::string>> rows;
  for (const RatioTable::Row& row : reporter.Table.Rows()) {
    rows.emplace_back(row.Name, row.Value);
  }
  AppendToSummary(std::filesystem::path(argv[0]).filename().string(), rows);
  return reporter.Failed ? 1 : 0;
}

void AppendToSummary(const std::string& program,
                     const std::vector<std::pair<std::string, std::string>>& rows) {
  const char* const path = std::getenv("VOSTREL_BENCH_SUMMARY");
  if (path == nullptr || *path == '\0') {
    return;
  }
  std::ofstream summary(path, std::ios::app);
  for (const auto& [measurement, value] : rows) {
    summary << program << '\t' << measurement << '\t' << value << '\n';
  }
}

} // namespace vostrel::bench
