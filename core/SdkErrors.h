#pragma once
// What the error texts of the camera SDKs share: a table of texts sorted by
// the low 16 bits of the result, and the message of a failed SDK call.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>

namespace vostrel::sdk {

struct ErrorText {
  std::uint16_t code;
  const char* text;
};

// The text of every code that a table does not list, 0 included.
inline constexpr const char* UnknownErrorText = "Unkown error";

// True when the table is sorted by code, as ErrorTextOf needs it.
constexpr bool SortedByCode(std::span<const ErrorText> table) {
  return std::is_sorted(table.begin(), table.end(),
                        [](const ErrorText& a, const ErrorText& b) { return a.code < b.code; });
}

// The text for the low 16 bits of a result, or UnknownErrorText.
const char* ErrorTextOf(std::span<const ErrorText> table, std::uint32_t result) noexcept;

// The texts that the camera libraries share, for the low 16 bits 0x0001 to
// 0x00F4 (85 texts); a library's own texts lie above them.
std::span<const ErrorText> CommonErrorTexts() noexcept;

// The text from the first table, else from the second, else
// UnknownErrorText.
const char* ErrorTextOf(std::span<const ErrorText> first, std::span<const ErrorText> second,
                        std::uint32_t result) noexcept;

// Raises ECamException "<functionName> errorcode 0x<8 upper-case hexadecimal
// digits of the whole result>, <text>".
[[noreturn]] void RaiseSdkError(std::uint32_t result, const std::string& functionName,
                                const char* text);

} // namespace vostrel::sdk
