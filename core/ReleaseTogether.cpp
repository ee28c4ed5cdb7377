#include "core/ReleaseTogether.h"

#include "core/ECamException.h"
#include "core/Vostrel.h"

#include <barrier>
#include <chrono>
#include <exception>
#include <system_error>
#include <thread>

namespace vostrel {

namespace {

std::int64_t MonotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

} // namespace

std::vector<ReleaseOutcome> RemoteTakePictureTogether(std::span<TVostrel* const> controllers) {
  std::vector<ReleaseOutcome> outcomes(controllers.size());
  if (controllers.empty()) {
    return outcomes;
  }
  // Every camera thread and this one: the threads are all created and
  // waiting before any of them fires.
  std::barrier start(static_cast<std::ptrdiff_t>(controllers.size() + 1));
  std::vector<std::thread> threads;
  threads.reserve(controllers.size());
  try {
    for (std::size_t i = 0; i < controllers.size(); ++i) {
      threads.emplace_back([&, i] {
        start.arrive_and_wait();
        ReleaseOutcome& outcome = outcomes[i];
        outcome.StartedAt = MonotonicNanoseconds();
        try {
          controllers[i]->RemoteTakePicture();
        } catch (const ECamException& error) {
          outcome.Error = error.message();
        } catch (const std::exception& error) {
          outcome.Error = error.what();
        }
      });
    }
  } catch (const std::system_error&) {
    // Too many threads for the system: those that started are let go
    // (the barrier is completed on behalf of the missing ones) and the
    // cameras without a thread fail.
    for (std::size_t missing = threads.size(); missing < controllers.size(); ++missing) {
      outcomes[missing].Error = "No thread could be started to release this camera";
      start.arrive_and_drop();
    }
  }
  start.arrive_and_wait();
  for (std::thread& thread : threads) {
    thread.join();
  }
  return outcomes;
}

} // namespace vostrel
