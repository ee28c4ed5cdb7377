#include "sim/world/FamilyParts.h"

#include "sim/world/Card.h"

#include <algorithm>
#include <cstdio>

namespace vostrel::sim {

std::uint32_t DataTypeCodes::of(ValueKind kind) const {
  switch (kind) {
  case ValueKind::Signed:
    return signedWord;
  case ValueKind::Unsigned:
    return unsignedWord;
  case ValueKind::Text:
    return text;
  case ValueKind::SignedArray:
    return signedArray;
  }
  return unknown;
}

Camera cameraOnPort(std::size_t index, const std::string& captureFolder) {
  Camera camera;
  char port[16];
  std::snprintf(port, sizeof(port), "USB:%03u", static_cast<unsigned>(index + 1));
  camera.port = port;
  camera.captureFolder = captureFolder;
  camera.volumes.emplace_back();
  ensureFolder(camera.volumes.back(), "DCIM");
  return camera;
}

Property listedSetting(std::int32_t value, const std::vector<std::int32_t>& accepted,
                       const DataTypeCodes& codes) {
  const bool isSigned =
      std::any_of(accepted.begin(), accepted.end(), [](std::int32_t each) { return each < 0; });
  Property property;
  property.kind = isSigned ? ValueKind::Signed : ValueKind::Unsigned;
  property.dataType = codes.of(property.kind);
  property.value = u32Bytes(static_cast<std::uint32_t>(value));
  if (!accepted.empty()) {
    std::vector<Bytes> values;
    values.reserve(accepted.size());
    for (const std::int32_t each : accepted) {
      values.push_back(u32Bytes(static_cast<std::uint32_t>(each)));
    }
    property.accepted = std::move(values);
  }
  return property;
}

std::string hexPropertyName(std::uint32_t id, int digits) {
  char hex[16];
  std::snprintf(hex, sizeof(hex), "0x%0*X", digits, id);
  return hex;
}

} // namespace vostrel::sim
