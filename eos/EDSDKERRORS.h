#pragma once
// Texts of the EDSDK error codes and the result check every checked SDK call
// goes through.

#include <cstdint>
#include <string>

namespace vostrel {

// The English text for an EDSDK result; only its low 16 bits select the text.
// Codes without a text of their own, 0 included, give "Unkown error".
const char* EdsErrorText(std::uint32_t code) noexcept;

// Returns when result is 0. Otherwise raises ECamException
// "<functionName> errorcode 0x<8 upper-case hex digits>, <EdsErrorText>".
void CheckEdsError(std::uint32_t result, const std::string& functionName);

} // namespace vostrel
