#pragma once
// A one-line progress bar for long transfers. Reports may come from the
// camera SDK's thread while the command waits on its own.

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

namespace vostrel::tools {

class ProgressBar {
public:
  // A disabled bar draws nothing.
  ProgressBar(std::ostream& out, bool enabled);

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
  std::string label_;
  std::int32_t shown_ = -1;
};

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
