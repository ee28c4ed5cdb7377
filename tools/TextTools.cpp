#include "tools/TextTools.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vostrel::tools {

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::optional<std::int32_t> ParseInteger(const std::string& text) {
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || next != end) {
    return std::nullopt;
  }
  return value;
}

} // namespace vostrel::tools
