#include "platform/Clock.h"

#include <thread>

namespace vostrel::platform {

namespace {

SystemClock& systemClock() {
  static SystemClock instance;
  return instance;
}

// The clock a test installed, or null for the system clock. An atomic pointer,
// so that threads waiting on the clock see a swap without a data race.
std::atomic<Clock*> installedClock{nullptr};

} // namespace

Milliseconds SystemClock::now() const {
  return std::chrono::duration_cast<Milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
}

void SystemClock::sleep(Milliseconds duration) {
  std::this_thread::sleep_for(duration);
}

Milliseconds FakeClock::now() const {
  return Milliseconds(now_.load());
}

void FakeClock::sleep(Milliseconds duration) {
  now_ += duration.count();
  slept_ += duration.count();
  ++sleeps_;
  // Let the thread that holds whatever the sleeper waits for make progress.
  std::this_thread::yield();
}

void FakeClock::advance(Milliseconds duration) {
  now_ += duration.count();
}

Milliseconds FakeClock::slept() const {
  return Milliseconds(slept_.load());
}

long FakeClock::sleeps() const {
  return sleeps_.load();
}

Clock& clock() {
  Clock* installed = installedClock.load(std::memory_order_acquire);
  return installed != nullptr ? *installed : systemClock();
}

void sleepFor(Milliseconds duration) {
  clock().sleep(duration);
}

ScopedClock::ScopedClock(Clock& clock)
    : previous_(installedClock.exchange(&clock, std::memory_order_acq_rel)) {}

ScopedClock::~ScopedClock() {
  installedClock.store(previous_, std::memory_order_release);
}

} // namespace vostrel::platform
