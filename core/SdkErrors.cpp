#include "core/SdkErrors.h"

#include "core/ECamException.h"

#include <cstdio>

namespace vostrel::sdk {

const char* ErrorTextOf(std::span<const ErrorText> table, std::uint32_t result) noexcept {
  const auto low = static_cast<std::uint16_t>(result & 0xFFFFu);
  const auto found = std::lower_bound(
      table.begin(), table.end(), low,
      [](const ErrorText& entry, std::uint16_t wanted) { return entry.code < wanted; });
  if (found == table.end() || found->code != low) {
    return UnknownErrorText;
  }
  return found->text;
}

void RaiseSdkError(std::uint32_t result, const std::string& functionName, const char* text) {
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(result));
  throw ECamException(functionName + " errorcode 0x" + hex + ", " + text);
}

} // namespace vostrel::sdk
