#pragma once
// Viewfinder streams that a simulated SDK has told to stop, waiting to be
// joined. A frame's handler may be waiting for the simulator's lock, so a
// stream is stopped under the lock but waited for only once the lock is
// released; the frames it sent and dropped then count for its camera.

#include "sim/world/ViewfinderStream.h"
#include "sim/world/World.h"

#include <memory>
#include <mutex>
#include <vector>

namespace vostrel::sim {

class StoppedStreams {
public:
  // Tells the stream, if there is one, to stop and keeps it for join. Call
  // with the simulator's lock held.
  void stop(std::unique_ptr<ViewfinderStream>& stream, std::shared_ptr<Camera> camera);

  // Waits for the streams stopped so far, apart from those of the calling
  // thread (a stream stopped from within its own handler ends after the
  // handler returns; a later call waits for it), and counts their frames.
  // `lock` is the simulator's lock, which the caller does not hold.
  void join(std::mutex& lock) noexcept;

private:
  struct Stopped {
    std::unique_ptr<ViewfinderStream> stream;
    std::shared_ptr<Camera> camera;
  };
  // Guarded by the simulator's lock.
  std::vector<Stopped> stopped_;
};

} // namespace vostrel::sim
