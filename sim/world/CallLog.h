#pragma once
// The call log of a simulated SDK: one text line per entry-point call and
// per delivered callback, in the order they happened. The format is
// described in sim/README.md.

#include <cstddef>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>

namespace vostrel::sim {

class CallLog {
public:
  CallLog() = default;
  ~CallLog();
  CallLog(const CallLog&) = delete;
  CallLog& operator=(const CallLog&) = delete;

  // Appends every later line to the file as well, so that a test can read
  // what a program of its own sent to the library. False when the file
  // cannot be opened.
  bool mirrorTo(const std::string& fileName);

  // The oldest lines are dropped beyond this many.
  static constexpr std::size_t MaximumLines = 100000;

  void add(std::string line);
  // Every line, each ended by '\n'.
  std::string text() const;
  void clear();

private:
  mutable std::mutex mutex_;
  std::deque<std::string> lines_;
  std::FILE* mirror_ = nullptr;
};

} // namespace vostrel::sim
