#include "activex/com/BstrText.h"

#include "activex/com/ComErrors.h"

namespace vostrel::com {

std::string TextFromBstr(BSTR value) {
  const int length = static_cast<int>(SysStringLen(value));
  if (length == 0) {
    return {};
  }
  const int size = WideCharToMultiByte(CP_ACP, 0, value, length, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, value, length, text.data(), size, nullptr, nullptr);
  return text;
}

std::wstring WideFromText(const std::string& text) {
  if (text.empty()) {
    return {};
  }
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), size);
  return wide;
}

TBstr BstrFromWide(std::wstring_view text) {
  TBstr value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (value.Get() == nullptr) {
    throw EOleError(E_OUTOFMEMORY, "Out of memory");
  }
  return value;
}

TBstr BstrFromText(const std::string& text) {
  return BstrFromWide(WideFromText(text));
}

} // namespace vostrel::com
