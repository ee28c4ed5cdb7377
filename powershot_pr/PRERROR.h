#pragma once
// Texts of the PR response codes and the result check every checked PR call
// goes through.

#include <cstdint>
#include <string>

namespace vostrel {

// The English text for a PR response code; only its low 16 bits select the
// text. Codes without a text of their own, 0 and 0x2001 included, give
// "Unkown error".
const char* PRErrorText(std::uint32_t code) noexcept;

// Returns when result is 0. Otherwise raises ECamException
// "<functionName> errorcode 0x<8 upper-case hex digits>, <PRErrorText>".
void CheckPRError(std::uint32_t result, const std::string& functionName);

} // namespace vostrel
