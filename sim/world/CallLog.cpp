#include "sim/world/CallLog.h"

namespace vostrel::sim {

void CallLog::add(std::string line) {
  std::lock_guard lock(mutex_);
  lines_.push_back(std::move(line));
  if (lines_.size() > MaximumLines) {
    lines_.pop_front();
  }
}

std::string CallLog::text() const {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

void CallLog::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

} // namespace vostrel::sim
