#include "powershot_cd/CDRecords.h"

#include <cstring>

namespace vostrel {

std::string CDRecordText(const char* field, std::size_t size) {
  return std::string(field, strnlen(field, size));
}

TxBatterySourceType CDBatterySourceOf(cdUInt32 battery) {
  const cdUInt32 source = battery >> cdBatterySourceShift;
  return source >= 1 && source <= 5 ? static_cast<TxBatterySourceType>(source)
                                    : BatterySourceUnknown;
}

TxBatteryStatusType CDBatteryStatusOf(cdUInt32 battery) {
  switch (battery & cdBatteryLevelMask) {
  case 6:
    return BatteryStatusNormal;
  case 4:
    return BatteryStatusWeak;
  case 3:
    return BatteryStatusSafetyLow;
  default:
    return BatteryStatusUnknown;
  }
}

} // namespace vostrel
