#include "sim/world/StoppedStreams.h"

#include <algorithm>
#include <iterator>

namespace vostrel::sim {

void StoppedStreams::stop(std::unique_ptr<ViewfinderStream>& stream,
                          std::shared_ptr<Camera> camera) {
  if (!stream) {
    return;
  }
  stream->requestStop();
  stopped_.push_back(Stopped{std::move(stream), std::move(camera)});
}

void StoppedStreams::join(std::mutex& lock) noexcept {
  try {
    std::vector<Stopped> joining;
    {
      std::lock_guard guard(lock);
      const auto own =
          std::stable_partition(stopped_.begin(), stopped_.end(), [](const Stopped& entry) {
            return entry.stream->onStreamThread();
          });
      std::move(own, stopped_.end(), std::back_inserter(joining));
      stopped_.erase(own, stopped_.end());
    }
    for (Stopped& entry : joining) {
      entry.stream->stop();
    }
    std::lock_guard guard(lock);
    for (const Stopped& entry : joining) {
      entry.camera->viewfinderFramesSent += entry.stream->framesSent();
      entry.camera->viewfinderFramesDropped += entry.stream->framesDropped();
    }
  } catch (...) {
    // Streams not waited for now are waited for by a later call.
  }
}

} // namespace vostrel::sim
