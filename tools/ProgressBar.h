#pragma once
// A one-line progress bar for long transfers. Reports may come from the
// camera SDK's thread while the command waits on its own. On a terminal the
// bar redraws in place; elsewhere (a log file, a pipe) only the final state
// of each transfer is written, as one line.

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

namespace vostrel::tools {

class ProgressBar {
public:
  // A disabled bar draws nothing; a bar that is not interactive writes one
  // line per transfer when it ends.
  ProgressBar(std::ostream& out, bool enabled, bool interactive);

  // Starts a bar for the named transfer, ending the previous one.
  void Begin(const std::string& label);
  // Draws the percentage (clamped to 0..100) when it changed.
  void Report(std::int32_t percent);
  // Ends the line of the bar, if one was drawn.
  void End();
  // Writes a line of its own, keeping a running bar intact below it.
  void Note(const std::string& line);

private:
  void Draw(std::int32_t percent);
  void EndLocked();

  std::mutex lock_;
  std::ostream& out_;
  const bool enabled_;
  const bool interactive_;
  std::string label_;
  std::int32_t shown_ = -1;
};

// Whether standard error is a terminal.
bool StandardErrorIsTerminal();

// Ends the bar when the transfer leaves its scope, however it ends.
class ProgressScope {
public:
  ProgressScope(ProgressBar& bar, const std::string& label) : bar_(bar) { bar_.Begin(label); }
  ~ProgressScope() { bar_.End(); }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

private:
  ProgressBar& bar_;
};

} // namespace vostrel::tools
