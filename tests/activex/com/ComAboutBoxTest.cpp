// The About box: shown modally by AboutBox, laid out in pixels, closed by
// its OK button. A timer that fires inside the modal loop inspects the form
// and presses OK.

#include "ComServerFixture.h"

namespace vostrel::test {
namespace {

struct FormSeen {
  bool found = false;
  RECT client{};
  std::wstring name;
  std::wstring description;
  std::wstring okCaption;
  RECT okPlace{};
  bool okIsDefault = false;
  std::string screenshot;
};

FormSeen Seen;

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

// The child window with this text, in the form's client coordinates.
HWND ChildWithText(HWND form, const std::wstring& text) {
  for (HWND child = GetWindow(form, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (WindowText(child) == text) {
      return child;
    }
  }
  return nullptr;
}

BOOL CALLBACK InspectAndClose(HWND window, LPARAM) {
  if (WindowText(window) != L"About" || !IsWindowVisible(window)) {
    return TRUE;
  }
  Seen.found = true;
  GetClientRect(window, &Seen.client);
  Seen.name = WindowText(GetDlgItem(window, 102));
  Seen.description = WindowText(GetDlgItem(window, 103));
  HWND ok = ChildWithText(window, L"OK");
  if (ok != nullptr) {
    Seen.okCaption = L"OK";
    GetWindowRect(ok, &Seen.okPlace);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&Seen.okPlace), 2);
    Seen.okIsDefault = LOWORD(SendMessageW(window, DM_GETDEFID, 0, 0)) == GetDlgCtrlID(ok);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Seen.screenshot = SaveWindowScreenshot(window, "about-box");
  PostMessageW(window, WM_COMMAND, IDOK, 0);
  return FALSE;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), &InspectAndClose, 0);
  if (Seen.found) {
    KillTimer(nullptr, timer);
  }
}

using AboutBox = ComServer;

TEST_F(AboutBox, ShowsTheFormModallyAndClosesWithOK) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  Seen = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &OnTimer);
  ASSERT_NE(timer, 0u);
  const HRESULT result = object->AboutBox();
  KillTimer(nullptr, timer);
  PumpMessages();
  ASSERT_EQ(result, S_OK);
  ASSERT_TRUE(Seen.found);
  EXPECT_EQ(Seen.client.right - Seen.client.left, 267);
  EXPECT_EQ(Seen.client.bottom - Seen.client.top, 127);
  EXPECT_EQ(Seen.name, L"VostrelActiveXX");
  EXPECT_EQ(Seen.description, L"Description");
  EXPECT_EQ(Seen.okCaption, L"OK");
  EXPECT_EQ(Seen.okPlace.left, 96);
  EXPECT_EQ(Seen.okPlace.top, 96);
  EXPECT_EQ(Seen.okPlace.right - Seen.okPlace.left, 75);
  EXPECT_EQ(Seen.okPlace.bottom - Seen.okPlace.top, 25);
  EXPECT_TRUE(Seen.okIsDefault);
  EXPECT_FALSE(Seen.screenshot.empty());
}

TEST_F(AboutBox, OpensThroughItsDispid) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  Seen = {};
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &OnTimer);
  DISPPARAMS none{};
  const HRESULT result = object->Invoke(DISPID_ABOUTBOX, IID_NULL, LOCALE_USER_DEFAULT,
                                        DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
  KillTimer(nullptr, timer);
  EXPECT_EQ(result, S_OK);
  EXPECT_TRUE(Seen.found);
}

} // namespace
} // namespace vostrel::test
