// The progress bar: on a terminal it redraws one line in place and keeps a
// note above it; elsewhere each transfer leaves one line with its final
// state; disabled it writes nothing.

#include "tools/ProgressBar.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

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

} // namespace
} // namespace vostrel::tools
