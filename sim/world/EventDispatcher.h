#pragma once
// Delivery of SDK callbacks. By default callbacks run on the simulator's own
// thread, in the order they were posted, as a real SDK may call them; in
// synchronous mode they run on the thread of the SDK call that caused them.
// waitIdle makes the asynchronous mode deterministic for tests.
//
// Callbacks must be posted without holding a lock that the callback's own
// SDK calls take.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vostrel::sim {

class EventDispatcher {
public:
  using Callback = std::function<void()>;

  EventDispatcher() = default;
  ~EventDispatcher();
  EventDispatcher(const EventDispatcher&) = delete;
  EventDispatcher& operator=(const EventDispatcher&) = delete;

  // Switching to synchronous delivery first delivers what is queued.
  void setSynchronous(bool synchronous);
  bool synchronous() const;

  // Delivers later on the simulator's thread, or now when synchronous.
  void post(Callback callback);
  // Delivers and returns once the callback has run: on the simulator's
  // thread after everything posted before it, or now when synchronous or
  // when called on the simulator's thread itself.
  void deliver(Callback callback);
  // Returns once every callback posted has run, those posted meanwhile by
  // callbacks included. Returns at once when called from a callback.
  void waitIdle();
  // Delivers what is queued and ends the thread; a later post starts it anew.
  void stop();

private:
  bool onDispatcherThread() const;
  std::uint64_t enqueue(Callback callback);
  void waitDelivered(std::uint64_t ticket);
  void run();

  mutable std::mutex mutex_;
  std::condition_variable work_;
  std::condition_variable delivered_;
  std::deque<Callback> queue_;
  std::uint64_t posted_ = 0;
  std::uint64_t done_ = 0;
  bool synchronous_ = false;
  bool stopping_ = false;
  std::thread thread_;
  std::thread::id threadId_;
};

} // namespace vostrel::sim
