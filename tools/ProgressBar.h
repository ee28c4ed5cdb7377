#pragma once
// Progress bars for long transfers. Reports may come from the camera SDK's
// thread while the command waits on its own. On a terminal a bar redraws in
// place; elsewhere (a log file, a pipe) only the final state is written, as
// one line.
//
// ProgressBar: one transfer after another, on one line.
// ProgressBoard: transfers that run at once (the cameras of a rig), a line
// each.

#include "platform/Clock.h"

#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace vostrel::tools {

// Where a host sends the progress of its control's transfers and the notes
// it writes meanwhile.
class ProgressSink {
public:
  virtual ~ProgressSink() = default;
  virtual void Report(std::int32_t percent) = 0;
  virtual void Note(const std::string& line) = 0;
};

class ProgressBar final : public ProgressSink {
public:
  // A disabled bar draws nothing; a bar that is not interactive writes one
  // line per transfer when it ends.
  ProgressBar(std::ostream& out, bool enabled, bool interactive);

  // Starts a bar for the named transfer, ending the previous one.
  void Begin(const std::string& label);
  // Draws the percentage (clamped to 0..100) when it changed.
  void Report(std::int32_t percent) override;
  // Ends the line of the bar, if one was drawn.
  void End();
  // Writes a line of its own, keeping a running bar intact below it.
  void Note(const std::string& line) override;

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

class ProgressBoard {
public:
  // The shortest time between two drawings of the board on a terminal.
  static constexpr platform::Milliseconds RedrawInterval{200};

  // A disabled board writes nothing but notes; one that is not interactive
  // writes a line per entry when its work finishes.
  ProgressBoard(std::ostream& out, bool enabled, bool interactive);
  // Closes the board.
  ~ProgressBoard();
  ProgressBoard(const ProgressBoard&) = delete;
  ProgressBoard& operator=(const ProgressBoard&) = delete;

  // Adds an entry, waiting for its first transfer; returns its number.
  std::size_t Add(const std::string& name);
  // The entry's next transfer, at 0%.
  void Begin(std::size_t entry, const std::string& label);
  // The percentage (clamped to 0..100) of the entry's transfer.
  void Report(std::size_t entry, std::int32_t percent);
  // The entry's work is over; the outcome ("2 pictures", "failed: ...")
  // stays on its line.
  void Finish(std::size_t entry, const std::string& outcome);
  // Writes a line of its own above the board.
  void Note(const std::string& line);
  // Draws the board's final state and leaves the cursor below it; nothing
  // is drawn after.
  void Close();

  // The sink of one entry, for the host whose transfers it shows.
  class Entry final : public ProgressSink {
  public:
    Entry(ProgressBoard& board, std::size_t entry) : board_(board), entry_(entry) {}
    void Report(std::int32_t percent) override { board_.Report(entry_, percent); }
    void Note(const std::string& line) override { board_.Note(line); }

  private:
    ProgressBoard& board_;
    std::size_t entry_;
  };

private:
  struct Line {
    std::string Name;
    std::string Label;
    std::int32_t Percent = -1; // -1: no transfer yet
    std::string Outcome;       // set once finished
  };

  std::string Text(const Line& line) const;
  // Redraws every line in place; `now` draws even within the interval.
  void Draw(bool now);

  std::mutex lock_;
  std::ostream& out_;
  const bool enabled_;
  const bool interactive_;
  std::vector<Line> lines_;
  std::size_t drawn_ = 0; // lines on the screen, the cursor below them
  bool closed_ = false;
  platform::Milliseconds lastDraw_{0};
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
