#pragma once
// TVostrelActiveXXAbout: the About box of the control, a small modal form
// with the control's bitmap, its name and a description line, and an OK
// button that is both the default and the cancel button.

#include <windows.h>

namespace vostrel {

class TVostrelActiveXXAbout {
public:
  // Resource identifiers of the form and its controls.
  static constexpr int FormId = 100;
  static constexpr int CtlImage = 101;
  static constexpr int NameLbl = 102;
  static constexpr int DescLbl = 103;
  static constexpr int OkBtn = IDOK;

  // Shows the form modally over the owner (may be null) and returns when it
  // closes; the result is IDOK however it was closed. Raises ECamException
  // when the form cannot be shown.
  static INT_PTR ShowModal(HWND owner);

private:
  static INT_PTR CALLBACK DialogProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam);
  static void Layout(HWND form);
};

} // namespace vostrel
