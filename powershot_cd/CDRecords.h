#pragma once
// Reading the fields of the records that CDSDK.DLL fills: texts that may
// fill their field without a terminator, and the battery word.

#include "core/CamDefines.h"
#include "powershot_cd/CDTYPE.h"

#include <cstddef>
#include <string>

namespace vostrel {

// A text field of an SDK record: up to its first zero byte, at most its size.
std::string CDRecordText(const char* field, std::size_t size);

// The power source in bits 28 to 31 of the battery word (1 mains to
// 5 alkaline); any other source is unknown.
TxBatterySourceType CDBatterySourceOf(cdUInt32 battery);

// The level in bits 0 to 3 of the battery word: 6 normal, 4 weak, 3 nearly
// empty; any other level is unknown.
TxBatteryStatusType CDBatteryStatusOf(cdUInt32 battery);

} // namespace vostrel
