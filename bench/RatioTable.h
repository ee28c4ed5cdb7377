#pragma once
// The summary that every benchmark program prints after its runs: each
// benchmark registered as a pair ("<name>/baseline" and "<name>/subject")
// becomes one row "subject / baseline = ratio" of real time per iteration,
// and every ratio counter a benchmark reported is listed with its value.
// Repeated runs of one benchmark are averaged.

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace vostrel::bench {

class RatioTable {
public:
  // One finished run: its full name as the benchmark library prints it, its
  // real time per iteration and the ratio counters it reported.
  void Add(const std::string& benchmarkName, double secondsPerIteration,
           const std::map<std::string, double>& ratioCounters = {});

  // One line of the table: a pair ("<subject time> / <baseline time> =
  // <ratio>") or a ratio counter ("<value>").
  struct Row {
    bool Pair;
    std::string Name;
    std::string Value;
  };
  // The pairs in the order of their first run, then the ratio counters.
  std::vector<Row> Rows() const;

  // The table as text, one line per row under a heading for the pairs and
  // one for the counters; empty when there is nothing to show.
  std::string Render() const;

private:
  struct Average {
    double Sum = 0;
    std::size_t Count = 0;
    double Value() const { return Count == 0 ? 0 : Sum / static_cast<double>(Count); }
    void Add(double value) {
      Sum += value;
      ++Count;
    }
  };
  struct Pair {
    Average Baseline;
    Average Subject;
  };

  // Pairs by name, the role segment taken out ("Copy/subject/real_time" is
  // pair "Copy/real_time"), in the order of their first run.
  std::vector<std::string> PairOrder;
  std::map<std::string, Pair> Pairs;
  // Ratio counters by "<benchmark name>: <counter>", in the order of arrival.
  std::vector<std::string> CounterOrder;
  std::map<std::string, Average> Counters;
};

} // namespace vostrel::bench
