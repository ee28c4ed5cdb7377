#include "sim/prsdk/PrFamily.h"

#include <array>
#include <cstdio>

namespace vostrel::sim::pr {

namespace {

struct NamedProperty {
  std::uint32_t id;
  const char* name;
};

// Properties of the settings map. Owner, body ID, battery status and clock
// are camera attributes of the world and are read and written through those.
constexpr std::array<NamedProperty, 1> Names = {{
    {prPropBatteryKind, "BatteryKind"},
}};

// Data-type codes of the picture transfer protocol.
constexpr std::uint32_t DataTypeInt32 = 0x0005;
constexpr std::uint32_t DataTypeUInt32 = 0x0006;
constexpr std::uint32_t DataTypeInt32Array = 0x4005;
constexpr std::uint32_t DataTypeString = 0xFFFF;

// The standard operations every camera lists, then remote release control,
// the viewfinder and focus lock.
const std::vector<std::uint16_t> DefaultOperations = {0x1001,
                                                      0x1002,
                                                      0x1003,
                                                      0x1004,
                                                      0x1005,
                                                      0x1007,
                                                      0x1008,
                                                      0x1009,
                                                      0x100A,
                                                      0x1014,
                                                      0x1015,
                                                      0x1016,
                                                      prOpInitiateReleaseControl,
                                                      prOpInitiateViewfinder,
                                                      prOpFocusLock};

} // namespace

Camera PrFamily::defaultCamera(std::size_t index) const {
  Camera camera;
  char port[16];
  std::snprintf(port, sizeof(port), "USB:%03u", static_cast<unsigned>(index + 1));
  camera.port = port;
  camera.bodyId = 2000 + static_cast<std::uint32_t>(index);
  camera.battery = BatteryStatusNormal;
  camera.availableShots = 250;
  camera.captureFolder = "DCIM/100_PSHT";
  camera.volumes.emplace_back();
  ensureFolder(camera.volumes.back(), "DCIM");
  Property kind;
  kind.kind = ValueKind::Unsigned;
  kind.dataType = DataTypeUInt32;
  kind.value = u32Bytes(BatteryKindLithium);
  kind.writable = false;
  camera.properties[prPropBatteryKind] = kind;
  camera.operations = DefaultOperations;
  return camera;
}

std::optional<std::uint32_t> PrFamily::propertyId(const std::string& name) const {
  for (const NamedProperty& entry : Names) {
    if (name == entry.name) {
      return entry.id;
    }
  }
  return std::nullopt;
}

std::string PrFamily::propertyName(std::uint32_t id) const {
  for (const NamedProperty& entry : Names) {
    if (id == entry.id) {
      return entry.name;
    }
  }
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%04X", id);
  return hex;
}

std::uint32_t PrFamily::dataTypeFor(ValueKind kind) const {
  switch (kind) {
  case ValueKind::Signed:
    return DataTypeInt32;
  case ValueKind::Unsigned:
    return DataTypeUInt32;
  case ValueKind::Text:
    return DataTypeString;
  case ValueKind::SignedArray:
    return DataTypeInt32Array;
  }
  return 0;
}

std::size_t wireSize(std::uint32_t id, std::size_t storedSize) {
  return id == prPropBatteryKind ? sizeof(prUInt16) : storedSize;
}

const std::vector<prUInt16>& supportedEvents() {
  static const std::vector<prUInt16> events = {0x4006, 0xC001, 0xC005, 0xC006, 0xC007, 0xC008,
                                               0xC009, 0xC00A, 0xC00B, 0xC00C, 0xC00E, 0xD001};
  return events;
}

} // namespace vostrel::sim::pr
