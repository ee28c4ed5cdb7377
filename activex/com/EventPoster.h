#pragma once
// Brings events to the thread that owns the automation object.
//
// The camera SDKs report events on threads of their own. A sink that a host
// connected lives in the host's apartment and must not be called from
// another thread. The poster is created on the object's thread together
// with a hidden message-only window. Work handed to Deliver on that thread
// runs at once, synchronously; work handed to it on any other thread is
// copied to the heap and posted to the window, whose window procedure runs
// it when the owner thread next dispatches its messages. Work still queued
// when the poster goes is discarded.
//
// A host that falls behind fills its thread's message queue, and a post then
// fails. Droppable work (a viewfinder frame, soon replaced by the next) is
// then dropped. Other work waits in a backlog of at most BacklogLimit
// entries, which the owner thread runs, in order and after everything
// posted before it, once its queue moves again: a message that asks for the
// drain is posted when the queue takes it, and where it does not, a timer of
// the window (which needs no room in the queue) asks instead. While a
// backlog waits, later work joins it, so the order is kept. Work dropped
// for any of these reasons is counted.
//
// The poster is destroyed on its owner thread. Work handed over on another
// thread while that happens is either posted before the poster closes (and
// then discarded with the rest) or dropped; it never reaches the window
// after the poster has gone.

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace vostrel::com {

class TEventPoster {
public:
  enum class Delivery {
    Kept,     // waits in the backlog when it cannot be posted
    Droppable // dropped (and counted) when it cannot be posted at once
  };
  // The way work reaches the window: PostMessageW, or a stand-in in tests.
  using PostFunction = BOOL(WINAPI*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static constexpr std::size_t BacklogLimit = 1024;

  explicit TEventPoster(PostFunction post = &PostMessageW);
  ~TEventPoster();
  TEventPoster(const TEventPoster&) = delete;
  TEventPoster& operator=(const TEventPoster&) = delete;

  void Deliver(std::function<void()> work, Delivery delivery = Delivery::Kept) noexcept;

  // Work that never ran because it could not be posted or kept (work
  // discarded when the poster goes is not counted).
  std::uint64_t DroppedEvents() const noexcept { return dropped_.load(); }

private:
  using Work = std::function<void()>;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void DiscardQueued(HWND window) noexcept;
  // Asks the owner thread to run the backlog, unless it was asked already;
  // the timer is a way open to the owner thread only. Called with postLock_
  // held.
  void ScheduleDrain(bool onOwnerThread) noexcept;
  // On the owner thread: asks for the drain where a backlog waits.
  void ScheduleDrainIfWaiting() noexcept;
  // On the owner thread: runs the backlog.
  void Drain() noexcept;

  DWORD ownerThread_;
  PostFunction post_;
  // Serialises posting from other threads with the poster's closing, and
  // guards the backlog.
  std::mutex postLock_;
  // Null once the poster is closing.
  HWND window_ = nullptr;
  std::deque<std::unique_ptr<Work>> backlog_;
  // A drain message or timer is on its way.
  bool drainScheduled_ = false;
  std::atomic<std::uint64_t> dropped_{0};
};

} // namespace vostrel::com
