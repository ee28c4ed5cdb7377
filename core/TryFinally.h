#pragma once
// A block whose clean-up always runs: the clean-up follows the body whether
// the body returns or raises. An error raised by the clean-up itself replaces
// the body's error, so the last failure is the one reported.

#include <utility>

namespace vostrel {

template <typename Body, typename Cleanup>
void TryFinally(Body&& body, Cleanup&& cleanup) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    std::forward<Cleanup>(cleanup)();
    throw;
  }
  std::forward<Cleanup>(cleanup)();
}

} // namespace vostrel
