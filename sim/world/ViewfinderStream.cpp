#include "sim/world/ViewfinderStream.h"

#include "sim/world/Jpeg.h"
#include "sim/world/TestPattern.h"

#include <algorithm>
#include <chrono>

namespace vostrel::sim {

namespace {

// The bar crosses the picture in this many frames.
constexpr int BarCrossingFrames = 64;

} // namespace

int viewfinderBarColumn(const ViewfinderFormat& format, std::uint32_t number) {
  const int width = std::max(1, format.width);
  return static_cast<int>(static_cast<long long>(number % BarCrossingFrames) * width /
                          BarCrossingFrames);
}

Bytes viewfinderFrame(const ViewfinderFormat& format, std::uint32_t number) {
  Rgb8Image image = testPattern(format.width, format.height, number);
  const int left = viewfinderBarColumn(format, number);
  const int barWidth = std::max(1, format.width / BarCrossingFrames);
  for (int y = 0; y < image.height; ++y) {
    for (int x = left; x < std::min(image.width, left + barWidth); ++x) {
      image.at(x, y, 0) = 255;
      image.at(x, y, 1) = 255;
      image.at(x, y, 2) = 255;
    }
  }
  return encodeJpeg(image, format.quality);
}

ViewfinderStream::ViewfinderStream(const ViewfinderFormat& format, Sink sink)
    : format_(format), sink_(std::move(sink)) {
  thread_ = std::thread([this] { run(); });
}

ViewfinderStream::~ViewfinderStream() {
  stop();
}

void ViewfinderStream::requestStop() noexcept {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
}

void ViewfinderStream::stop() {
  requestStop();
  if (onStreamThread()) {
    return;
  }
  std::lock_guard lock(joinMutex_);
  if (thread_.joinable()) {
    thread_.join();
  }
}

void ViewfinderStream::run() {
  threadId_.store(std::this_thread::get_id());
  // A frame that cannot be made ends the stream, as a failing camera would.
  try {
    send();
  } catch (...) {
  }
}

void ViewfinderStream::send() {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(1.0 / std::max(1, format_.framesPerSecond)));
  auto due = Clock::now();
  std::uint32_t number = 1;
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      if (wake_.wait_until(lock, due, [this] { return stopping_; })) {
        return;
      }
    }
    const Bytes frame = viewfinderFrame(format_, number);
    {
      std::lock_guard lock(mutex_);
      if (stopping_) {
        return;
      }
    }
    const auto handling = Clock::now();
    sink_(frame, number);
    const auto handled = Clock::now();
    ++sent_;
    // Frames that fell due while the host handled this one are lost. A
    // frame late only because making it took long is sent late instead.
    due = std::max(due + period, handling);
    std::uint32_t missed = 0;
    while (due + period <= handled) {
      due += period;
      ++missed;
    }
    dropped_ += missed;
    number += 1 + missed;
  }
}

} // namespace vostrel::sim
