#pragma once
// What every benchmark program shares: benchmarks registered as pairs of a
// baseline and a subject measured in the same run, ratio counters, and the
// main function that prints the ratio table after the runs.
//
// Every benchmark measures real time. A body that raises ends its benchmark
// with the error's text; the program then exits with status 1, so a broken
// benchmark fails its smoke test.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vostrel::bench {

using Body = std::function<void(benchmark::State&)>;

// Registers "<name>/baseline" and "<name>/subject". Returns a value so that
// a program can register its pairs from static initialisers.
bool RegisterPair(const std::string& name, Body baseline, Body subject);

// Sets a counter that the ratio table lists; a plain value, not a rate.
void ReportRatio(benchmark::State& state, const std::string& counter, double value);

// Runs the benchmarks that the command line selects and prints the ratio
// table. Returns the program's exit status.
int Main(int argc, char** argv);

// When the environment names a summary file (VOSTREL_BENCH_SUMMARY), appends
// one line per row to it: "<program>\t<measurement>\t<value>". Main does so
// with its ratio table; scripts/bench.sh gathers the rows of every program
// into one table.
void AppendToSummary(const std::string& program,
                     const std::vector<std::pair<std::string, std::string>>& rows);

} // namespace vostrel::bench
