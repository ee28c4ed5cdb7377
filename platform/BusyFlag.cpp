#include "platform/BusyFlag.h"

#include "platform/Clock.h"

namespace vostrel::platform {

void BusyFlag::acquire() {
  while (!tryAcquire()) {
    sleepFor(Milliseconds(PollMilliseconds));
  }
}

bool BusyFlag::tryAcquire() {
  return !busy_.exchange(true, std::memory_order_acquire);
}

void BusyFlag::release() {
  busy_.store(false, std::memory_order_release);
}

bool BusyFlag::isSet() const {
  return busy_.load(std::memory_order_acquire);
}

} // namespace vostrel::platform
