#pragma once
// The one seam through which the system waits: every poll, pause and retry
// goes through the process-wide clock, so tests can swap in a FakeClock and
// run fixed waits without sleeping for real.

#include <atomic>
#include <chrono>

namespace vostrel::platform {

using Milliseconds = std::chrono::milliseconds;

class Clock {
public:
  virtual ~Clock() = default;
  // Monotonic time since an arbitrary start.
  virtual Milliseconds now() const = 0;
  virtual void sleep(Milliseconds duration) = 0;
};

// The real clock: steady_clock and a real sleep.
class SystemClock final : public Clock {
public:
  Milliseconds now() const override;
  void sleep(Milliseconds duration) override;
};

// A clock that only moves when someone sleeps on it or advances it. Sleeping
// yields the thread, so a waiter polling a flag held by another thread lets
// that thread run. Safe to use from several threads.
class FakeClock final : public Clock {
public:
  Milliseconds now() const override;
  void sleep(Milliseconds duration) override;
  void advance(Milliseconds duration);
  // Total time spent in sleep() since creation.
  Milliseconds slept() const;
  // Number of sleep() calls since creation.
  long sleeps() const;

private:
  std::atomic<long long> now_{0};
  std::atomic<long long> slept_{0};
  std::atomic<long> sleeps_{0};
};

// The clock in use (SystemClock unless a test installed another).
Clock& clock();
// Shorthand for clock().sleep(duration).
void sleepFor(Milliseconds duration);

// Installs a clock for the lifetime of this object; restores the previous one.
// Scopes nest: end them in the reverse order of their start.
class ScopedClock {
public:
  explicit ScopedClock(Clock& clock);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

private:
  Clock* previous_;
};

} // namespace vostrel::platform
