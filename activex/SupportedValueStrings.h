#pragma once
// The supported-value tables as the automation interface shows them: one
// character per value code, "1" for a value the camera (or the RAW file)
// accepts and "0" for one it does not.

#include "core/CamDefines.h"

#include <cstdint>
#include <string>

namespace vostrel {

// The row of a TxRemoteParamType kind, one character per value code. The
// white-balance shift and the picture style give a single character (is the
// feature supported); the Kelvin value and kinds outside TxRemoteParamType
// give the empty string.
std::string SupportedValuesString(const SupportedParamValuesType& supported, std::int32_t kind);

// For RAWParamWhiteBalanceSetting the 17 white-balance settings; for any
// other TxRAWParamType kind the empty string.
std::string RAWSupportedString(const RAWSupportedType& supported, std::int32_t kind);

} // namespace vostrel
