#include "core/ReleaseTogether.h"

#include "core/ECamException.h"
#include "core/Vostrel.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>

namespace vostrel {

namespace {

std::int64_t MonotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A gate that opens once every party has arrived at it. A mutex and a
// condition variable rather than std::barrier, whose waits the Windows
// builds' standard library makes on atomics without a futex behind them: a
// release of a rig was seen waiting at the barrier for minutes under load.
class StartGate {
public:
  explicit StartGate(std::ptrdiff_t parties) : missing_(parties) {}

  void ArriveAndWait() {
    std::unique_lock lock(mutex_);
    if (Arrive()) {
      lock.unlock();
      opened_.notify_all();
      return;
    }
    opened_.wait(lock, [this] { return open_; });
  }

  // Arrives on behalf of a party that will not come.
  void ArriveAndDrop() {
    std::unique_lock lock(mutex_);
    if (Arrive()) {
      lock.unlock();
      opened_.notify_all();
    }
  }

private:
  bool Arrive() {
    open_ = --missing_ <= 0;
    return open_;
  }

  std::mutex mutex_;
  std::condition_variable opened_;
  std::ptrdiff_t missing_;
  bool open_ = false;
};

} // namespace

std::vector<ReleaseOutcome> ReleaseTogether(std::span<const std::function<void()>> releases) {
  std::vector<ReleaseOutcome> outcomes(releases.size());
  if (releases.empty()) {
    return outcomes;
  }
  // Every camera thread and this one: the threads are all created and
  // waiting before any of them fires.
  StartGate start(static_cast<std::ptrdiff_t>(releases.size() + 1));
  std::vector<std::thread> threads;
  threads.reserve(releases.size());
  try {
    for (std::size_t i = 0; i < releases.size(); ++i) {
      threads.emplace_back([&, i] {
        ReleaseOutcome& outcome = outcomes[i];
        outcome.ReadyAt = MonotonicNanoseconds();
        start.ArriveAndWait();
        outcome.StartedAt = MonotonicNanoseconds();
        try {
          releases[i]();
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
    for (std::size_t missing = threads.size(); missing < releases.size(); ++missing) {
      outcomes[missing].Error = "No thread could be started to release this camera";
      start.ArriveAndDrop();
    }
  }
  start.ArriveAndWait();
  for (std::thread& thread : threads) {
    thread.join();
  }
  return outcomes;
}

std::vector<ReleaseOutcome> RemoteTakePictureTogether(std::span<TVostrel* const> controllers) {
  std::vector<std::function<void()>> releases;
  releases.reserve(controllers.size());
  for (TVostrel* controller : controllers) {
    releases.emplace_back([controller] { controller->RemoteTakePicture(); });
  }
  return ReleaseTogether(releases);
}

} // namespace vostrel
