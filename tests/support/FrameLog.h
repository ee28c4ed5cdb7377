#pragma once
// The viewfinder frames a controller's handler received, for a test thread
// to wait on.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <istream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

namespace vostrel::test {

class FrameLog {
public:
  void Add(std::istream& frame) {
    std::string bytes{std::istreambuf_iterator<char>(frame), std::istreambuf_iterator<char>()};
    {
      std::lock_guard lock(mutex_);
      frames_.push_back(std::move(bytes));
    }
    arrived_.notify_all();
  }

  // Waits (in real time: the frames come from the camera's own thread) until
  // `count` frames have arrived; false after ten seconds.
  bool WaitFor(std::size_t count) {
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(10),
                             [&] { return frames_.size() >= count; });
  }

  std::vector<std::string> Frames() {
    std::lock_guard lock(mutex_);
    return frames_;
  }

  std::size_t Count() {
    std::lock_guard lock(mutex_);
    return frames_.size();
  }

private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<std::string> frames_;
};

// Every frame is a whole JPEG picture (start and end markers) that differs
// from the one before it.
inline void ExpectDistinctJpegFrames(const std::vector<std::string>& received) {
  for (std::size_t i = 0; i < received.size(); ++i) {
    ASSERT_GE(received[i].size(), 4u);
    EXPECT_EQ(received[i].substr(0, 2), "\xFF\xD8") << "frame " << i;
    EXPECT_EQ(received[i].substr(received[i].size() - 2), "\xFF\xD9") << "frame " << i;
    if (i > 0) {
      EXPECT_NE(received[i], received[i - 1]) << "frame " << i;
    }
  }
}

} // namespace vostrel::test
