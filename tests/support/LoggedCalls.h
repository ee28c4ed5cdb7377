#pragma once
// The SDK calls in a simulated library's call log, callbacks left out, with
// each reference or handle shown as its kind only ("camera#").

#include "sim/SimControlClient.h"

#include <regex>
#include <string>
#include <vector>

namespace vostrel::test {

inline std::vector<std::string> LoggedCalls(const sim::SimControlClient& sim) {
  static const std::regex number("#[0-9]+");
  std::vector<std::string> calls;
  for (const std::string& line : sim.callLogLines()) {
    if (line.rfind("callback ", 0) != 0) {
      calls.push_back(std::regex_replace(line, number, "#"));
    }
  }
  return calls;
}

// The names of the logged SDK calls, in order.
inline std::vector<std::string> LoggedFunctions(const sim::SimControlClient& sim) {
  std::vector<std::string> names;
  for (const std::string& line : LoggedCalls(sim)) {
    names.push_back(line.substr(0, line.find('(')));
  }
  return names;
}

} // namespace vostrel::test
