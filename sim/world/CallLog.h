#pragma once
// The call log of a simulated SDK: one text line per entry-point call and
// per delivered callback, in the order they happened. The format is
// described in sim/README.md.

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>

namespace vostrel::sim {

class CallLog {
public:
  // The oldest lines are dropped beyond this many.
  static constexpr std::size_t MaximumLines = 100000;

  void add(std::string line);
  // Every line, each ended by '\n'.
  std::string text() const;
  void clear();

private:
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
};

} // namespace vostrel::sim
