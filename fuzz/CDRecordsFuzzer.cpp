// The records that CDSDK.DLL fills from the camera: the device record of the
// enumeration, the owner name and the battery word.

#include "powershot_cd/CDRecords.h"
#include "powershot_cd/CDTYPE.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vostrel::cdSourceInfo source{};
  std::memcpy(&source, data, std::min(size, sizeof source));
  const std::string model = vostrel::CDRecordText(source.ModelName, sizeof source.ModelName);
  const std::string name = vostrel::CDRecordText(source.Name, sizeof source.Name);
  if (model.size() > vostrel::cdNameSize || name.size() > vostrel::cdNameSize) {
    __builtin_trap();
  }

  char owner[vostrel::cdOwnerNameSize] = {};
  std::memcpy(owner, data, std::min(size, sizeof owner));
  if (vostrel::CDRecordText(owner, sizeof owner).size() > sizeof owner) {
    __builtin_trap();
  }

  vostrel::cdUInt32 battery = 0;
  std::memcpy(&battery, data, std::min(size, sizeof battery));
  const auto power = vostrel::CDBatterySourceOf(battery);
  const auto status = vostrel::CDBatteryStatusOf(battery);
  if (power < vostrel::BatterySourceUnknown || power > vostrel::BatterySourceAlMN ||
      status < vostrel::BatteryStatusUnknown || status > vostrel::BatteryStatusSafetyLow) {
    __builtin_trap();
  }
  return 0;
}
