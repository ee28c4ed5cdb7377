#pragma once
// Reading the item record that CDSDK.DLL fills for a picture on the card.

#include "powershot_cd/CDTYPE.h"

#include <string>

namespace vostrel {

// The picture's name: the name field up to its first zero byte, the whole
// field when the camera fills it without one.
std::string CDItemName(const cdItemInfo& record);

} // namespace vostrel
