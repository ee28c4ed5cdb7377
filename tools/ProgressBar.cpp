#include "tools/ProgressBar.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace vostrel::tools {

namespace {

constexpr std::int32_t BarWidth = 30;

} // namespace

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return isatty(fileno(stderr)) != 0;
#endif
}

ProgressBar::ProgressBar(std::ostream& out, bool enabled, bool interactive)
    : out_(out), enabled_(enabled), interactive_(interactive) {}

void ProgressBar::Begin(const std::string& label) {
  const std::lock_guard guard(lock_);
  EndLocked();
  label_ = label;
}

void ProgressBar::Report(std::int32_t percent) {
  const std::lock_guard guard(lock_);
  percent = std::clamp(percent, 0, 100);
  if (!enabled_ || percent == shown_) {
    return;
  }
  Draw(percent);
}

void ProgressBar::Draw(std::int32_t percent) {
  shown_ = percent;
  if (!interactive_) {
    return;
  }
  const std::int32_t filled = percent * BarWidth / 100;
  out_ << '\r' << (label_.empty() ? "transfer" : label_) << " ["
       << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(BarWidth - filled), '-') << "] " << percent << '%'
       << std::flush;
}

void ProgressBar::End() {
  const std::lock_guard guard(lock_);
  EndLocked();
}

void ProgressBar::Note(const std::string& line) {
  const std::lock_guard guard(lock_);
  if (shown_ >= 0 && interactive_) {
    out_ << '\n' << line << '\n';
    Draw(shown_);
  } else {
    out_ << line << '\n' << std::flush;
  }
}

void ProgressBar::EndLocked() {
  if (shown_ >= 0 && interactive_) {
    out_ << '\n' << std::flush;
  } else if (shown_ >= 0) {
    out_ << (label_.empty() ? "transfer" : label_) << ": " << shown_ << "%\n" << std::flush;
  }
  shown_ = -1;
  label_.clear();
}

} // namespace vostrel::tools
