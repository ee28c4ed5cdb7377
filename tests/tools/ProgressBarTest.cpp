// The progress bar: on a terminal it redraws one line in place and keeps a
// note above it; elsewhere each transfer leaves one line with its final
// state; disabled it writes nothing. The board of a rig does the same with a
// line per camera, redrawing them together at most a few times a second.

#include "tools/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace vostrel::tools {
namespace {

TEST(ProgressBar, OnATerminalTheBarIsRedrawnInPlace) {
  std::ostringstream out;
  ProgressBar bar(out, true, true);
  {
    const ProgressScope scope(bar, "IMG_0001.JPG");
    bar.Report(0);
    bar.Report(50);
    bar.Report(50); // unchanged: not drawn again
    bar.Note("camera event");
    bar.Report(140); // clamped
  }
  const std::string empty(30, '-');
  const std::string half = std::string(15, '#') + std::string(15, '-');
  const std::string full(30, '#');
  EXPECT_EQ(out.str(), "\rIMG_0001.JPG [" + empty + "] 0%" + "\rIMG_0001.JPG [" + half + "] 50%" +
                           "\ncamera event\n" + "\rIMG_0001.JPG [" + half + "] 50%" +
                           "\rIMG_0001.JPG [" + full + "] 100%\n");
}

TEST(ProgressBar, ElsewhereEachTransferLeavesOneLine) {
  std::ostringstream out;
  ProgressBar bar(out, true, false);
  bar.Begin("first.jpg");
  bar.Report(10);
  bar.Report(100);
  bar.Begin("");
  bar.Report(-5);
  bar.Note("between");
  bar.End();
  bar.End();
  EXPECT_EQ(out.str(), "first.jpg: 100%\nbetween\ntransfer: 0%\n");
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
}

TEST(ProgressBar, ADisabledBarDrawsNothingButNotes) {
  std::ostringstream out;
  ProgressBar bar(out, false, true);
  {
    const ProgressScope scope(bar, "x");
    bar.Report(70);
  }
  bar.Note("note");
  EXPECT_EQ(out.str(), "note\n");
}

TEST(ProgressBoard, OnATerminalTheLinesAreRedrawnTogetherInPlaceAFewTimesASecond) {
  platform::FakeClock clock;
  const platform::ScopedClock useClock(clock);
  std::ostringstream out;
  ProgressBoard board(out, true, true);
  const std::size_t first = board.Add("eos-0");
  const std::size_t second = board.Add("eos-1");
  const std::string empty = "[" + std::string(30, '-') + "] 0%";
  const std::string half = "[" + std::string(15, '#') + std::string(15, '-') + "] 50%";
  board.Begin(first, "shot-001.jpg");
  EXPECT_EQ(out.str(), "\reos-0 shot-001.jpg " + empty + "\x1b[K\n" + "\reos-1: waiting\x1b[K\n");
  out.str("");
  board.Begin(second, "shot-001.jpg");
  board.Report(first, 50);
  EXPECT_EQ(out.str(), "") << "too soon after the last drawing";
  clock.advance(ProgressBoard::RedrawInterval);
  board.Report(second, 50);
  EXPECT_EQ(out.str(), "\x1b[2A\reos-0 shot-001.jpg " + half + "\x1b[K\n" +
                           "\reos-1 shot-001.jpg " + half + "\x1b[K\n");
  out.str("");
  // A note goes above the board; finishing draws at once.
  board.Note("camera event");
  EXPECT_EQ(out.str(), "\x1b[2A\rcamera event\x1b[K\n\reos-0 shot-001.jpg " + half +
                           "\x1b[K\n\reos-1 shot-001.jpg " + half + "\x1b[K\n");
  out.str("");
  board.Finish(second, "failed at shot-001.jpg: gone");
  EXPECT_EQ(out.str(), "\x1b[2A\reos-0 shot-001.jpg " + half + "\x1b[K\n" +
                           "\reos-1: failed at shot-001.jpg: gone\x1b[K\n");
  out.str("");
  board.Close();
  board.Report(first, 100);
  board.Note("after");
  EXPECT_EQ(out.str(), "\x1b[2A\reos-0 shot-001.jpg " + half + "\x1b[K\n" +
                           "\reos-1: failed at shot-001.jpg: gone\x1b[K\n" + "after\n");
}

TEST(ProgressBoard, ElsewhereEachEntryLeavesOneFinalLine) {
  std::ostringstream out;
  {
    ProgressBoard board(out, true, false);
    const std::size_t done = board.Add("eos-0");
    const std::size_t failed = board.Add("eos-1");
    const std::size_t cut = board.Add("powershot-0");
    board.Add("eos-2"); // never started
    board.Begin(done, "shot-001.jpg");
    board.Begin(failed, "shot-001.jpg");
    board.Begin(cut, "shot-001.jpg");
    board.Report(done, 100);
    board.Report(cut, 40);
    board.Finish(failed, "failed at shot-001.jpg: gone");
    board.Note("between");
    board.Finish(done, "1 picture in rig/eos-0");
  }
  EXPECT_EQ(out.str(), "eos-1: failed at shot-001.jpg: gone\nbetween\n"
                       "eos-0: 1 picture in rig/eos-0\npowershot-0 shot-001.jpg: 40%\n");
}

TEST(ProgressBoard, ADisabledBoardWritesOnlyNotes) {
  std::ostringstream out;
  ProgressBoard board(out, false, true);
  const std::size_t entry = board.Add("eos-0");
  board.Begin(entry, "shot-001.jpg");
  board.Report(entry, 30);
  board.Finish(entry, "1 picture");
  board.Note("note");
  board.Close();
  EXPECT_EQ(out.str(), "note\n");
}

// Cameras report from threads of their own; every line comes out whole.
TEST(ProgressBoard, LinesOfCamerasReportingAtOnceNeverInterleave) {
  std::ostringstream out;
  ProgressBoard board(out, true, false);
  constexpr int Cameras = 8;
  std::vector<std::size_t> entries;
  for (int i = 0; i < Cameras; ++i) {
    entries.push_back(board.Add("eos-" + std::to_string(i)));
  }
  std::vector<std::thread> threads;
  for (int i = 0; i < Cameras; ++i) {
    threads.emplace_back([&, i] {
      ProgressBoard::Entry sink(board, entries[static_cast<std::size_t>(i)]);
      for (int shot = 1; shot <= 20; ++shot) {
        board.Begin(entries[static_cast<std::size_t>(i)], "shot-" + std::to_string(shot));
        for (int percent = 0; percent <= 100; percent += 10) {
          sink.Report(percent);
        }
        sink.Note("note of eos-" + std::to_string(i));
      }
      board.Finish(entries[static_cast<std::size_t>(i)], "20 pictures");
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  std::istringstream lines(out.str());
  int finals = 0;
  int notes = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("note of eos-", 0) == 0 && line.size() == 13) {
      ++notes;
    } else {
      EXPECT_EQ(line.substr(line.find(':')), ": 20 pictures") << line;
      ++finals;
    }
  }
  EXPECT_EQ(finals, Cameras);
  EXPECT_EQ(notes, Cameras * 20);
}

} // namespace
} // namespace vostrel::tools
