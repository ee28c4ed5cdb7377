#pragma once
// A camera mode (release control, the viewfinder) that the controller counts
// as ended although the camera may still be in it, because ending it failed.
// Such a camera refuses to enter the mode again, so the next start ends it
// first, without a check. Both PowerShot backends keep one per mode.

#include <utility>

namespace vostrel {

class LeftRunning {
public:
  // Whether the camera may still be in the mode.
  explicit operator bool() const noexcept { return left_; }

  // Ends the mode through `end`, which raises when the camera refuses: the
  // mode counts as left running unless `end` returns.
  template <typename Ending>
  void End(Ending&& end) {
    left_ = true;
    std::forward<Ending>(end)();
    left_ = false;
  }

  // Ends the mode through `tryEnd`, which answers whether the camera
  // confirmed the end, and reports nothing.
  template <typename Attempt>
  void TryToEnd(Attempt&& tryEnd) noexcept {
    left_ = !std::forward<Attempt>(tryEnd)();
  }

  // The same, made only when the mode was left running: the step before a
  // start.
  template <typename Attempt>
  void EndIfLeftRunning(Attempt&& tryEnd) noexcept {
    if (left_) {
      TryToEnd(std::forward<Attempt>(tryEnd));
    }
  }

  // The camera is known to be out of the mode (a new connection, or a mode
  // that ended with another one).
  void Forget() noexcept { left_ = false; }

private:
  bool left_ = false;
};

} // namespace vostrel
