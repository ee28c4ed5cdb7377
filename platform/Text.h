#pragma once
// Text that the camera libraries deliver in UTF-16, turned into the 8-bit
// strings that the rest of the system and its hosts use.

#include <string>

namespace vostrel::platform {

// The text in the system's narrow encoding (the ANSI code page on Windows,
// UTF-8 elsewhere).
std::string narrowText(const std::u16string& text);

} // namespace vostrel::platform
