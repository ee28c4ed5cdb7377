#include "activex/com/EventPoster.h"

#include "activex/com/ServerModule.h"

#include <memory>
#include <utility>

namespace vostrel::com {

namespace {

constexpr wchar_t WindowClassName[] = L"VostrelActiveXXEventWindow";
constexpr UINT DeliverMessage = WM_APP + 1;
constexpr UINT DrainMessage = WM_APP + 2;
constexpr UINT_PTR DrainTimer = 1;

using Work = std::function<void()>;

// Window classes of a library stay registered after the library is
// unloaded, so the class is registered for each window as needed and
// unregistered when its last window has gone.
bool RegisterWindowClass(WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ModuleHandle();
  windowClass.lpszClassName = WindowClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void RunSafely(Work& work) noexcept {
  try {
    work();
  } catch (...) {
    // An event that fails to reach the host is not reported anywhere.
  }
}

} // namespace

TEventPoster::TEventPoster(PostFunction post) : ownerThread_(GetCurrentThreadId()), post_(post) {
  if (RegisterWindowClass(&TEventPoster::WindowProc)) {
    window_ = CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ModuleHandle(), nullptr);
  }
  if (window_ != nullptr) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
}

TEventPoster::~TEventPoster() {
  HWND window = nullptr;
  std::deque<std::unique_ptr<Work>> backlog;
  {
    // Waits for a post in progress on another thread; later ones find no
    // window.
    std::lock_guard lock(postLock_);
    std::swap(window, window_);
    backlog.swap(backlog_);
  }
  if (window != nullptr) {
    KillTimer(window, DrainTimer);
    DiscardQueued(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    UnregisterClassW(WindowClassName, ModuleHandle());
  }
}

void TEventPoster::Deliver(Work work, Delivery delivery) noexcept {
  if (GetCurrentThreadId() == ownerThread_) {
    RunSafely(work);
    ScheduleDrainIfWaiting();
    return;
  }
  try {
    auto copy = std::make_unique<Work>(std::move(work));
    std::lock_guard lock(postLock_);
    if (window_ == nullptr) {
      return; // without its window the object cannot reach its thread
    }
    // While a backlog waits, nothing overtakes it.
    if (backlog_.empty() &&
        post_(window_, DeliverMessage, 0, reinterpret_cast<LPARAM>(copy.get())) != FALSE) {
      copy.release(); // the window procedure owns it now
      return;
    }
    if (delivery == Delivery::Droppable || backlog_.size() >= BacklogLimit) {
      ++dropped_;
    } else {
      backlog_.push_back(std::move(copy));
    }
    if (!backlog_.empty()) {
      ScheduleDrain(false);
    }
  } catch (...) {
    // Out of memory: the event is lost.
    ++dropped_;
  }
}

void TEventPoster::ScheduleDrain(bool onOwnerThread) noexcept {
  if (drainScheduled_) {
    return;
  }
  drainScheduled_ =
      post_(window_, DrainMessage, 0, 0) != FALSE ||
      (onOwnerThread && SetTimer(window_, DrainTimer, USER_TIMER_MINIMUM, nullptr) != 0);
}

void TEventPoster::ScheduleDrainIfWaiting() noexcept {
  std::lock_guard lock(postLock_);
  if (window_ != nullptr && !backlog_.empty()) {
    ScheduleDrain(true);
  }
}

void TEventPoster::Drain() noexcept {
  std::deque<std::unique_ptr<Work>> backlog;
  {
    std::lock_guard lock(postLock_);
    if (window_ == nullptr) {
      return;
    }
    KillTimer(window_, DrainTimer);
    drainScheduled_ = false;
    backlog.swap(backlog_);
  }
  // Work handed over meanwhile is posted behind this, as the backlog is
  // empty again.
  for (const std::unique_ptr<Work>& work : backlog) {
    RunSafely(*work);
  }
}

LRESULT CALLBACK TEventPoster::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* poster = reinterpret_cast<TEventPoster*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
  case DeliverMessage: {
    std::unique_ptr<Work> work(reinterpret_cast<Work*>(lParam));
    RunSafely(*work);
    // The queue has room again: a backlog that could not ask for its drain
    // asks now.
    if (poster != nullptr) {
      poster->ScheduleDrainIfWaiting();
    }
    return 0;
  }
  case DrainMessage:
    if (poster != nullptr) {
      poster->Drain();
    }
    return 0;
  case WM_TIMER:
    if (wParam == DrainTimer && poster != nullptr) {
      poster->Drain();
      return 0;
    }
    break;
  default:
    break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TEventPoster::DiscardQueued(HWND window) noexcept {
  MSG message;
  while (PeekMessageW(&message, window, DeliverMessage, DrainMessage, PM_REMOVE)) {
    if (message.message == DeliverMessage) {
      delete reinterpret_cast<Work*>(message.lParam);
    }
  }
}

} // namespace vostrel::com
