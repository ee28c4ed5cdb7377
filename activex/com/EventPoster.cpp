#include "activex/com/EventPoster.h"

#include "activex/com/ServerModule.h"

#include <memory>
#include <utility>

namespace vostrel::com {

namespace {

constexpr wchar_t WindowClassName[] = L"VostrelActiveXXEventWindow";
constexpr UINT DeliverMessage = WM_APP + 1;

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

TEventPoster::TEventPoster() : ownerThread_(GetCurrentThreadId()) {
  if (RegisterWindowClass(&TEventPoster::WindowProc)) {
    window_ = CreateWindowExW(0, WindowClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              ModuleHandle(), nullptr);
  }
}

TEventPoster::~TEventPoster() {
  HWND window = nullptr;
  {
    // Waits for a post in progress on another thread; later ones find no
    // window.
    std::lock_guard lock(postLock_);
    std::swap(window, window_);
  }
  if (window != nullptr) {
    DiscardQueued(window);
    DestroyWindow(window);
    UnregisterClassW(WindowClassName, ModuleHandle());
  }
}

void TEventPoster::Deliver(Work work) noexcept {
  if (GetCurrentThreadId() == ownerThread_) {
    RunSafely(work);
    return;
  }
  try {
    auto copy = std::make_unique<Work>(std::move(work));
    std::lock_guard lock(postLock_);
    if (window_ == nullptr) {
      return; // without its window the object cannot reach its thread
    }
    if (PostMessageW(window_, DeliverMessage, 0, reinterpret_cast<LPARAM>(copy.get()))) {
      copy.release(); // the window procedure owns it now
    }
  } catch (...) {
    // Out of memory: the event is lost.
  }
}

LRESULT CALLBACK TEventPoster::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DeliverMessage) {
    std::unique_ptr<Work> work(reinterpret_cast<Work*>(lParam));
    RunSafely(*work);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TEventPoster::DiscardQueued(HWND window) noexcept {
  MSG message;
  while (PeekMessageW(&message, window, DeliverMessage, DeliverMessage, PM_REMOVE)) {
    delete reinterpret_cast<Work*>(message.lParam);
  }
}

} // namespace vostrel::com
