#include "bench/RatioTable.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace vostrel::bench {

namespace {

enum class Role { Baseline, Subject };

struct PairMember {
  std::string Pair;
  Role Side;
};

// The pair a benchmark belongs to: its name with the segment "/baseline" or
// "/subject" taken out. Names without such a segment belong to no pair.
std::optional<PairMember> PairOf(const std::string& name) {
  for (const auto& [segment, role] :
       {std::pair{"/baseline", Role::Baseline}, std::pair{"/subject", Role::Subject}}) {
    const std::string marker = segment;
    for (std::size_t at = name.find(marker); at != std::string::npos;
         at = name.find(marker, at + 1)) {
      const std::size_t end = at + marker.size();
      if (end == name.size() || name[end] == '/') {
        return PairMember{name.substr(0, at) + name.substr(end), role};
      }
    }
  }
  return std::nullopt;
}

// A time in the largest unit that keeps it at or above 1.
std::string FormatTime(double seconds) {
  struct Unit {
    double Scale;
    const char* Name;
  };
  static constexpr Unit Units[] = {{1, "s"}, {1e-3, "ms"}, {1e-6, "us"}, {1e-9, "ns"}};
  const Unit* unit = &Units[3];
  for (const Unit& candidate : Units) {
    if (seconds >= candidate.Scale) {
      unit = &candidate;
      break;
    }
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.3g %s", seconds / unit->Scale, unit->Name);
  return text;
}

// Three significant digits; whole numbers from 1000 on.
std::string FormatValue(double value) {
  char text[32];
  std::snprintf(text, sizeof text, value >= 1000 ? "%.0f" : "%.3g", value);
  return text;
}

std::string PaddedTo(std::string text, std::size_t width) {
  text.resize(std::max(width, text.size()), ' ');
  return text;
}

} // namespace

void RatioTable::Add(const std::string& benchmarkName, double secondsPerIteration,
                     const std::map<std::string, double>& ratioCounters) {
  if (const std::optional<PairMember> member = PairOf(benchmarkName)) {
    if (Pairs.find(member->Pair) == Pairs.end()) {
      PairOrder.push_back(member->Pair);
    }
    Pair& pair = Pairs[member->Pair];
    (member->Side == Role::Baseline ? pair.Baseline : pair.Subject).Add(secondsPerIteration);
  }
  for (const auto& [counter, value] : ratioCounters) {
    const std::string key = benchmarkName + ": " + counter;
    if (Counters.find(key) == Counters.end()) {
      CounterOrder.push_back(key);
    }
    Counters[key].Add(value);
  }
}

std::vector<RatioTable::Row> RatioTable::Rows() const {
  std::vector<Row> rows;
  for (const std::string& name : PairOrder) {
    const Pair& pair = Pairs.at(name);
    if (pair.Subject.Count == 0 || pair.Baseline.Count == 0) {
      rows.push_back({true, name, pair.Subject.Count == 0 ? "no subject run" : "no baseline run"});
      continue;
    }
    const double baseline = pair.Baseline.Value();
    const double subject = pair.Subject.Value();
    rows.push_back({true, name,
                    FormatTime(subject) + " / " + FormatTime(baseline) + " = " +
                        (baseline > 0 ? FormatValue(subject / baseline) : std::string("n/a"))});
  }
  for (const std::string& name : CounterOrder) {
    rows.push_back({false, name, FormatValue(Counters.at(name).Value())});
  }
  return rows;
}

std::string RatioTable::Render() const {
  const std::vector<Row> rows = Rows();
  std::size_t width = 0;
  for (const Row& row : rows) {
    width = std::max(width, row.Name.size());
  }
  std::string text;
  bool pairs = false;
  bool counters = false;
  for (const Row& row : rows) {
    if (row.Pair && !pairs) {
      text += "Ratios of real time per iteration (subject / baseline)\n";
      pairs = true;
    } else if (!row.Pair && !counters) {
      text += "Ratio counters\n";
      counters = true;
    }
    text += "  " + PaddedTo(row.Name, width) + "  " + row.Value + "\n";
  }
  return text;
}

} // namespace vostrel::bench
