#pragma once
// Fires several connected cameras at the same moment, as a rig of cameras
// needs: one thread per camera, each waiting at one barrier until every
// thread is ready, then releasing its camera's shutter. The pictures arrive
// as for any other release, at each controller's own events.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vostrel {

class TVostrel;

// What happened to one camera of a joint release.
struct ReleaseOutcome {
  // Empty when the camera released; otherwise the message of its failure.
  std::string Error;
  // When the thread of this camera was ready and began to wait for the
  // others, and when it started its release (after every thread was
  // ready), in nanoseconds of the system's monotonic clock.
  std::int64_t ReadyAt = 0;
  std::int64_t StartedAt = 0;
  bool Released() const { return Error.empty(); }
};

// Runs every release at once, each on a thread of its own, and waits until
// all have returned. A release that fails (raises) does not hold up the
// others; its message is in its outcome. Hosts that drive cameras through
// their controls pass the controls' RemoteTakePicture here.
std::vector<ReleaseOutcome> ReleaseTogether(std::span<const std::function<void()>> releases);

// Calls RemoteTakePicture of every controller at once. The controllers must
// stay alive during the call and must not release from other threads
// meanwhile.
std::vector<ReleaseOutcome> RemoteTakePictureTogether(std::span<TVostrel* const> controllers);

} // namespace vostrel
