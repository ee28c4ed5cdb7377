#pragma once
// A process-wide test-and-set flag. A caller that finds it set waits in steps
// of 50 ms (on the clock seam) until it is clear; setting is atomic with the
// test. BusyGuard releases it on every exit path.

#include <atomic>

namespace vostrel::platform {

class BusyFlag {
public:
  static constexpr int PollMilliseconds = 50;

  // Waits until the flag is clear, then sets it.
  void acquire();
  // Sets the flag if it is clear; true when this call set it.
  bool tryAcquire();
  void release();
  bool isSet() const;

private:
  std::atomic<bool> busy_{false};
};

class BusyGuard {
public:
  explicit BusyGuard(BusyFlag& flag) : flag_(flag) { flag_.acquire(); }
  ~BusyGuard() { flag_.release(); }
  BusyGuard(const BusyGuard&) = delete;
  BusyGuard& operator=(const BusyGuard&) = delete;

private:
  BusyFlag& flag_;
};

} // namespace vostrel::platform
