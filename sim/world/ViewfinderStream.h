#pragma once
// The live picture of a simulated camera's viewfinder: JPEG frames of a
// moving test pattern, each showing its frame number, sent from a thread of
// the stream's own at the camera's frame rate.
//
// A camera does not wait for its host: a frame that falls due while the host
// still handles an earlier one is skipped and counted as dropped, and the
// next frame sent carries its own number, so the gap shows. Stopping returns
// once no frame is being handled any more; asked for from within a frame's
// handler, it only stops the stream, whose thread then ends on its own and is
// joined when the stream is destroyed.

#include "sim/world/Bytes.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace vostrel::sim {

// Size and rate of a camera's viewfinder frames.
struct ViewfinderFormat {
  int width = 640;
  int height = 480;
  int framesPerSecond = 30;
  int quality = 75;

  bool operator==(const ViewfinderFormat&) const = default;
};

// The frame with the number given: the test pattern with a bright bar that
// moves across it from frame to frame, and the number (modulo 10000) in its
// middle.
Bytes viewfinderFrame(const ViewfinderFormat& format, std::uint32_t number);

// The column at which the moving bar of a frame starts.
int viewfinderBarColumn(const ViewfinderFormat& format, std::uint32_t number);

class ViewfinderStream {
public:
  // Receives each frame and its number on the stream's thread; the bytes
  // live for the call.
  using Sink = std::function<void(const Bytes& frame, std::uint32_t number)>;

  // Starts sending at once; the first frame is number 1.
  ViewfinderStream(const ViewfinderFormat& format, Sink sink);
  // Stops the stream. Never destroy a stream from within its own handler.
  ~ViewfinderStream();
  ViewfinderStream(const ViewfinderStream&) = delete;
  ViewfinderStream& operator=(const ViewfinderStream&) = delete;

  // Ends the stream: no frame is sent after this returns, except the one
  // whose handler called it.
  void stop();
  // Ends the stream without waiting for a frame being handled.
  void requestStop() noexcept;
  bool onStreamThread() const { return std::this_thread::get_id() == threadId_.load(); }

  std::uint64_t framesSent() const { return sent_.load(); }
  std::uint64_t framesDropped() const { return dropped_.load(); }

private:
  void run();
  void send();

  const ViewfinderFormat format_;
  const Sink sink_;
  std::mutex mutex_;
  std::mutex joinMutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::atomic<std::uint64_t> sent_{0};
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<std::thread::id> threadId_;
  std::thread thread_;
};

} // namespace vostrel::sim
