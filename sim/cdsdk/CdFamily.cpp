#include "sim/cdsdk/CdFamily.h"

#include <cstdio>

namespace vostrel::sim::cd {

namespace {

constexpr char ReleaseControlFacultyName[] = "ReleaseControlFaculty";

// Data-type codes of the CD device properties.
constexpr std::uint32_t DataTypeInt32 = 0x0004;
constexpr std::uint32_t DataTypeUInt32 = 0x0005;
constexpr std::uint32_t DataTypeInt32Array = 0x0104;
constexpr std::uint32_t DataTypeString = 0x0010;

} // namespace

Camera CdFamily::defaultCamera(std::size_t index) const {
  Camera camera;
  char port[16];
  std::snprintf(port, sizeof(port), "USB:%03u", static_cast<unsigned>(index + 1));
  camera.port = port;
  camera.bodyId = 0; // the CD cameras have none
  camera.battery = DefaultBatteryWord;
  camera.availableShots = 120;
  camera.captureFolder = "DCIM/100_PSHT";
  camera.volumes.emplace_back();
  ensureFolder(camera.volumes.back(), "DCIM");
  Property faculty;
  faculty.kind = ValueKind::Unsigned;
  faculty.dataType = DataTypeUInt32;
  faculty.value = u32Bytes(DefaultReleaseControlFaculty);
  faculty.writable = false;
  camera.properties[ReleaseControlFacultyId] = faculty;
  return camera;
}

std::optional<std::uint32_t> CdFamily::propertyId(const std::string& name) const {
  if (name == ReleaseControlFacultyName) {
    return ReleaseControlFacultyId;
  }
  return std::nullopt;
}

std::string CdFamily::propertyName(std::uint32_t id) const {
  if (id == ReleaseControlFacultyId) {
    return ReleaseControlFacultyName;
  }
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%08X", id);
  return hex;
}

std::uint32_t CdFamily::dataTypeFor(ValueKind kind) const {
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

} // namespace vostrel::sim::cd
