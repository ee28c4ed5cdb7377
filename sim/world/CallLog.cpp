#include "sim/world/CallLog.h"

namespace vostrel::sim {

CallLog::~CallLog() {
  if (mirror_ != nullptr) {
    std::fclose(mirror_);
  }
}

bool CallLog::mirrorTo(const std::string& fileName) {
  std::lock_guard lock(mutex_);
  if (mirror_ != nullptr) {
    std::fclose(mirror_);
  }
  mirror_ = std::fopen(fileName.c_str(), "ab");
  return mirror_ != nullptr;
}

void CallLog::add(std::string line) {
  std::lock_guard lock(mutex_);
  if (mirror_ != nullptr) {
    std::fprintf(mirror_, "%s\n", line.c_str());
    std::fflush(mirror_);
  }
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
