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
// The poster is destroyed on its owner thread. Work handed over on another
// thread while that happens is either posted before the poster closes (and
// then discarded with the rest) or dropped; it never reaches the window
// after the poster has gone.

#include <windows.h>

#include <functional>
#include <mutex>

namespace vostrel::com {

class TEventPoster {
public:
  TEventPoster();
  ~TEventPoster();
  TEventPoster(const TEventPoster&) = delete;
  TEventPoster& operator=(const TEventPoster&) = delete;

  void Deliver(std::function<void()> work) noexcept;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void DiscardQueued(HWND window) noexcept;

  DWORD ownerThread_;
  // Serialises posting from other threads with the poster's closing.
  std::mutex postLock_;
  // Null once the poster is closing.
  HWND window_ = nullptr;
};

} // namespace vostrel::com
