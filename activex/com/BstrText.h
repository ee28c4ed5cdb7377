#pragma once
// Conversion between automation strings (BSTR, UTF-16) and the control's
// strings, which are in the process's ANSI code page like every narrow
// Windows file name the camera layers pass on.

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace vostrel::com {

// A null BSTR is the empty string.
std::string TextFromBstr(BSTR value);
std::wstring WideFromText(const std::string& text);
// A new BSTR owned by the caller; raises EOleError(E_OUTOFMEMORY) when it
// cannot be allocated.
BSTR BstrFromText(const std::string& text);

} // namespace vostrel::com
