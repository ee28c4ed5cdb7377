#include "sim/world/EventDispatcher.h"

namespace vostrel::sim {

namespace {

// A callback is foreign code; whatever it throws stays on this side.
void runGuarded(const EventDispatcher::Callback& callback) noexcept {
  try {
    callback();
  } catch (...) {
  }
}

} // namespace

EventDispatcher::~EventDispatcher() {
#ifdef _WIN32
  // Static objects of a library are destroyed while the system's loader
  // lock is held, where waiting for a thread to end would never return. A
  // process that exits has ended the thread already; a host that frees the
  // library should terminate the SDK first, which stops the thread.
  if (thread_.joinable()) {
    thread_.detach();
  }
#else
  stop();
#endif
}

void EventDispatcher::setSynchronous(bool synchronous) {
  if (synchronous) {
    waitIdle();
  }
  std::lock_guard lock(mutex_);
  synchronous_ = synchronous;
}

bool EventDispatcher::synchronous() const {
  std::lock_guard lock(mutex_);
  return synchronous_;
}

bool EventDispatcher::onDispatcherThread() const {
  std::lock_guard lock(mutex_);
  return thread_.joinable() && std::this_thread::get_id() == threadId_;
}

void EventDispatcher::post(Callback callback) {
  if (synchronous()) {
    runGuarded(callback);
    return;
  }
  enqueue(std::move(callback));
}

void EventDispatcher::deliver(Callback callback) {
  if (synchronous() || onDispatcherThread()) {
    runGuarded(callback);
    return;
  }
  waitDelivered(enqueue(std::move(callback)));
}

void EventDispatcher::waitIdle() {
  if (onDispatcherThread()) {
    return;
  }
  // Callbacks posted by callbacks count too: idle is an empty queue with no
  // callback running.
  std::unique_lock lock(mutex_);
  delivered_.wait(lock, [&] { return done_ == posted_; });
}

void EventDispatcher::stop() {
  if (onDispatcherThread()) {
    return;
  }
  std::thread finished;
  {
    std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
      return;
    }
    stopping_ = true;
    finished = std::move(thread_);
  }
  work_.notify_all();
  finished.join();
  std::lock_guard lock(mutex_);
  stopping_ = false;
}

std::uint64_t EventDispatcher::enqueue(Callback callback) {
  std::uint64_t ticket = 0;
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(callback));
    ticket = ++posted_;
    if (!thread_.joinable()) {
      thread_ = std::thread([this] { run(); });
      threadId_ = thread_.get_id();
    }
  }
  work_.notify_one();
  return ticket;
}

void EventDispatcher::waitDelivered(std::uint64_t ticket) {
  std::unique_lock lock(mutex_);
  delivered_.wait(lock, [&] { return done_ >= ticket; });
}

void EventDispatcher::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    work_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) {
      return; // stopping, and everything is delivered
    }
    Callback callback = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    runGuarded(callback);
    lock.lock();
    ++done_;
    delivered_.notify_all();
  }
}

} // namespace vostrel::sim
