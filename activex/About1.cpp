#include "activex/About1.h"

#include "activex/com/ServerModule.h"
#include "core/ECamException.h"

namespace vostrel {

namespace {

// The form's client area and the places of its controls, in pixels.
constexpr SIZE ClientSize{267, 127};
constexpr RECT ImagePlace{48, 16, 48 + 24, 16 + 24};
constexpr RECT NamePlace{80, 16, 80 + 170, 16 + 16};
constexpr RECT DescPlace{80, 34, 80 + 170, 34 + 16};
constexpr RECT OkPlace{96, 96, 96 + 75, 96 + 25};

// What the form creates and frees again when it closes.
struct FormResources {
  HFONT boldFont = nullptr;
  HBITMAP bitmap = nullptr;
};

void Place(HWND form, int id, const RECT& place) {
  SetWindowPos(GetDlgItem(form, id), nullptr, place.left, place.top, place.right - place.left,
               place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT BoldVersionOf(HFONT font) {
  LOGFONTW description{};
  if (font == nullptr || GetObjectW(font, sizeof(description), &description) == 0) {
    return nullptr;
  }
  description.lfWeight = FW_BOLD;
  return CreateFontIndirectW(&description);
}

} // namespace

INT_PTR TVostrelActiveXXAbout::ShowModal(HWND owner) {
  FormResources resources;
  const INT_PTR result =
      DialogBoxParamW(com::ModuleHandle(), MAKEINTRESOURCEW(FormId), owner,
                      &TVostrelActiveXXAbout::DialogProc, reinterpret_cast<LPARAM>(&resources));
  if (resources.boldFont != nullptr) {
    DeleteObject(resources.boldFont);
  }
  if (resources.bitmap != nullptr) {
    DeleteObject(resources.bitmap);
  }
  if (result == -1 || result == 0) {
    throw ECamException("The About box cannot be shown");
  }
  return result;
}

void TVostrelActiveXXAbout::Layout(HWND form) {
  // A dialog border with only the system menu, sized to the client area and
  // centred on the screen.
  RECT frame{0, 0, ClientSize.cx, ClientSize.cy};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(form, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(form, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Place(form, CtlImage, ImagePlace);
  Place(form, NameLbl, NamePlace);
  Place(form, DescLbl, DescPlace);
  Place(form, OkBtn, OkPlace);
}

INT_PTR CALLBACK TVostrelActiveXXAbout::DialogProc(HWND form, UINT message, WPARAM wParam,
                                                   LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG: {
    auto* resources = reinterpret_cast<FormResources*>(lParam);
    Layout(form);
    resources->boldFont =
        BoldVersionOf(reinterpret_cast<HFONT>(SendMessageW(form, WM_GETFONT, 0, 0)));
    if (resources->boldFont != nullptr) {
      SendDlgItemMessageW(form, NameLbl, WM_SETFONT, reinterpret_cast<WPARAM>(resources->boldFont),
                          FALSE);
    }
    resources->bitmap = static_cast<HBITMAP>(
        LoadImageW(com::ModuleHandle(), MAKEINTRESOURCEW(1), IMAGE_BITMAP, 0, 0, 0));
    SendDlgItemMessageW(form, CtlImage, BM_SETIMAGE, IMAGE_BITMAP,
                        reinterpret_cast<LPARAM>(resources->bitmap));
    return TRUE; // the default button takes the focus
  }
  case WM_COMMAND:
    // OK, Enter and Escape all close the form with the OK result.
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
      EndDialog(form, IDOK);
      return TRUE;
    }
    break;
  case WM_CLOSE:
    EndDialog(form, IDOK);
    return TRUE;
  default:
    break;
  }
  return FALSE;
}

} // namespace vostrel
