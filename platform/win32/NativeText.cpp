// Text on Windows: the narrow encoding is the ANSI code page.

#include "platform/Native.h"

#include <windows.h>

namespace vostrel::platform::native {

std::string narrowFromUtf16(const std::u16string& text) {
  if (text.empty()) {
    return {};
  }
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

} // namespace vostrel::platform::native
