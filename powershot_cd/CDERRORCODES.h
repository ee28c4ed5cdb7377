#pragma once
// Texts of the CD result codes and the result check every checked CD call
// goes through.

#include <cstdint>
#include <string>

namespace vostrel {

// The English text for a CD result code; only its low 16 bits select the
// text, the component and flag bits above them never change it. Codes
// without a text of their own, 0 included, give "Unkown error".
const char* CDErrorText(std::uint32_t code) noexcept;

// Returns when result is 0. Otherwise raises ECamException
// "<functionName> errorcode 0x<8 upper-case hex digits>, <CDErrorText>"; a
// decorated name (_CDGetReleaseControlFaculty@8) is given without its
// decoration.
void CheckCDError(std::uint32_t result, const std::string& functionName);

} // namespace vostrel
