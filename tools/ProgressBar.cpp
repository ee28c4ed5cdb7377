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

// "[###---] 50%"
std::string Bar(std::int32_t percent) {
  const std::int32_t filled = percent * BarWidth / 100;
  return "[" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(BarWidth - filled), '-') + "] " +
         std::to_string(percent) + "%";
}

// Terminal controls: the cursor up a number of lines, the rest of the line
// erased.
std::string CursorUp(std::size_t lines) {
  return "\x1b[" + std::to_string(lines) + "A";
}
constexpr const char* EraseToEnd = "\x1b[K";

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
  out_ << '\r' << (label_.empty() ? "transfer" : label_) << ' ' << Bar(percent) << std::flush;
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

ProgressBoard::ProgressBoard(std::ostream& out, bool enabled, bool interactive)
    : out_(out), enabled_(enabled), interactive_(interactive) {}

ProgressBoard::~ProgressBoard() {
  Close();
}

std::size_t ProgressBoard::Add(const std::string& name) {
  const std::lock_guard guard(lock_);
  lines_.push_back({name, {}, -1, {}});
  return lines_.size() - 1;
}

void ProgressBoard::Begin(std::size_t entry, const std::string& label) {
  const std::lock_guard guard(lock_);
  Line& line = lines_.at(entry);
  line.Label = label;
  line.Percent = 0;
  Draw(false);
}

void ProgressBoard::Report(std::size_t entry, std::int32_t percent) {
  const std::lock_guard guard(lock_);
  Line& line = lines_.at(entry);
  percent = std::clamp(percent, 0, 100);
  if (percent == line.Percent) {
    return;
  }
  line.Percent = percent;
  Draw(false);
}

void ProgressBoard::Finish(std::size_t entry, const std::string& outcome) {
  const std::lock_guard guard(lock_);
  Line& line = lines_.at(entry);
  line.Outcome = outcome;
  if (!enabled_ || closed_) {
    return;
  }
  if (interactive_) {
    Draw(true);
  } else {
    out_ << Text(line) << '\n' << std::flush;
  }
}

void ProgressBoard::Note(const std::string& line) {
  const std::lock_guard guard(lock_);
  if (drawn_ == 0) {
    out_ << line << '\n' << std::flush;
    return;
  }
  // The note takes the board's first line; the board is drawn anew below.
  out_ << CursorUp(drawn_) << '\r' << line << EraseToEnd << '\n';
  drawn_ = 0;
  Draw(true);
}

void ProgressBoard::Close() {
  const std::lock_guard guard(lock_);
  if (closed_) {
    return;
  }
  if (enabled_ && interactive_ && drawn_ > 0) {
    Draw(true);
  } else if (enabled_ && !interactive_) {
    // What was left unfinished ends with the state it reached.
    for (const Line& line : lines_) {
      if (line.Outcome.empty() && line.Percent >= 0) {
        out_ << Text(line) << '\n';
      }
    }
    out_ << std::flush;
  }
  // The board stays on the screen as it is; what follows goes below it.
  drawn_ = 0;
  closed_ = true;
}

std::string ProgressBoard::Text(const Line& line) const {
  if (!line.Outcome.empty()) {
    return line.Name + ": " + line.Outcome;
  }
  if (line.Percent < 0) {
    return line.Name + ": waiting";
  }
  const std::string label = line.Label.empty() ? line.Name : line.Name + " " + line.Label;
  return interactive_ ? label + " " + Bar(line.Percent)
                      : label + ": " + std::to_string(line.Percent) + "%";
}

void ProgressBoard::Draw(bool now) {
  if (!enabled_ || !interactive_ || closed_ || lines_.empty()) {
    return;
  }
  const platform::Milliseconds time = platform::clock().now();
  if (!now && drawn_ > 0 && time - lastDraw_ < RedrawInterval) {
    return;
  }
  lastDraw_ = time;
  if (drawn_ > 0) {
    out_ << CursorUp(drawn_);
  }
  for (const Line& line : lines_) {
    out_ << '\r' << Text(line) << EraseToEnd << '\n';
  }
  drawn_ = lines_.size();
  out_ << std::flush;
}

} // namespace vostrel::tools
