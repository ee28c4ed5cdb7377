// The records and codes that CDSDK.DLL fills from the camera, read by the
// readers the CD backend uses: the device record of the enumeration, the
// item record of a picture on the card, the owner name and the battery
// word, and the shooting parameters' codes turned into public values.

#include "powershot_cd/CDItemRecord.h"
#include "powershot_cd/CDParamTables.h"
#include "powershot_cd/CDRecords.h"
#include "powershot_cd/CDTYPE.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

using namespace vostrel;

// A record as the SDK fills it: the input's bytes, the rest zero.
template <typename Record>
Record RecordOf(const std::uint8_t* data, std::size_t size) {
  Record record{};
  std::memcpy(&record, data, std::min(size, sizeof record));
  return record;
}

void ReadDeviceRecord(const std::uint8_t* data, std::size_t size) {
  const auto source = RecordOf<cdSourceInfo>(data, size);
  if (CDRecordText(source.ModelName, sizeof source.ModelName).size() > cdNameSize ||
      CDRecordText(source.Name, sizeof source.Name).size() > cdNameSize) {
    __builtin_trap();
  }
}

void ReadItemRecord(const std::uint8_t* data, std::size_t size) {
  const auto item = RecordOf<cdItemInfo>(data, size);
  const std::string name = CDItemName(item);
  if (name.size() > cdItemNameSize || name.find('\0') != std::string::npos) {
    __builtin_trap();
  }
}

void ReadOwnerAndBattery(const std::uint8_t* data, std::size_t size) {
  const auto owner = RecordOf<std::array<char, cdOwnerNameSize>>(data, size);
  if (CDRecordText(owner.data(), owner.size()).size() > owner.size()) {
    __builtin_trap();
  }
  const auto battery = RecordOf<cdUInt32>(data, size);
  const auto power = CDBatterySourceOf(battery);
  const auto status = CDBatteryStatusOf(battery);
  if (power < BatterySourceUnknown || power > BatterySourceAlMN || status < BatteryStatusUnknown ||
      status > BatteryStatusSafetyLow) {
    __builtin_trap();
  }
}

// Every code the camera reports reads as a public value or as 0; a value
// read from a table is written back as the code it was read from, or as
// another code of the same value.
void ReadParameterCodes(const std::uint8_t* data, std::size_t size) {
  static constexpr const cd::CDCodeTable* Tables[] = {
      &cd::QualityTable,      &cd::ImageSizeTable,  &cd::ImageModeTable,   &cd::CompensationTable,
      &cd::WhiteBalanceTable, &cd::AFDistanceTable, &cd::FlashModeTable,   &cd::MeteringTable,
      &cd::ContrastTable,     &cd::SharpnessTable,  &cd::PhotoEffectTable, &cd::BeepTable};
  const cd::CDConversion* const Scales[] = {&cd::ApertureScale, &cd::ShutterSpeedScale,
                                            &cd::SensitivityScale};
  for (std::size_t offset = 0; offset < size; offset += sizeof(std::uint32_t)) {
    const auto code = RecordOf<std::uint32_t>(data + offset, size - offset);
    for (const cd::CDCodeTable* table : Tables) {
      const std::uint8_t value = table->ToValue(code);
      if (value != 0 && table->ToValue(table->ToCode(value)) != value) {
        __builtin_trap();
      }
    }
    for (const cd::CDConversion* scale : Scales) {
      static_cast<void>(scale->ToCode(scale->ToValue(code)));
    }
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadDeviceRecord(data, size);
  ReadItemRecord(data, size);
  ReadOwnerAndBattery(data, size);
  ReadParameterCodes(data, size);
  return 0;
}
