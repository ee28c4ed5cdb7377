#pragma once
// Small text helpers of the command-line host.

#include <cstdint>
#include <optional>
#include <string>

namespace vostrel::tools {

std::string Lowercase(std::string text);

// A whole decimal integer (an optional minus sign and digits), or nullopt.
std::optional<std::int32_t> ParseInteger(const std::string& text);

} // namespace vostrel::tools
