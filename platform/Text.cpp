#include "platform/Text.h"

#include "platform/Native.h"

namespace vostrel::platform {

std::string narrowText(const std::u16string& text) {
  return native::narrowFromUtf16(text);
}

} // namespace vostrel::platform
