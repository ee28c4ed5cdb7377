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

#include <windows.h>

#include <functional>

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
  void DiscardQueued() noexcept;

  DWORD ownerThread_;
  HWND window_ = nullptr;
};

} // namespace vostrel::com
