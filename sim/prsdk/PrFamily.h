#pragma once
// What the simulated PRSDK.DLL knows about the newer PowerShot cameras: the
// property codes and their names in scenarios, the operations and properties
// a camera has before a scenario changes them, and how each property travels
// (16 or 32 bits).

#include "powershot_pr/PRTYPE.h"
#include "sim/world/Scenario.h"

namespace vostrel::sim::pr {

class PrFamily final : public CameraFamily {
public:
  std::string section() const override { return "pr"; }
  Camera defaultCamera(std::size_t index) const override;
  std::optional<std::uint32_t> propertyId(const std::string& name) const override;
  std::string propertyName(std::uint32_t id) const override;
  std::uint32_t dataTypeFor(ValueKind kind) const override;
  RawShot defaultRawShot() const override { return {}; }
  std::string rawExtension() const override { return ".CRW"; }
};

// Bytes of a property's value on the wire: 2 for the 16-bit properties,
// otherwise the size the world keeps.
std::size_t wireSize(std::uint32_t id, std::size_t storedSize);

// True for a property whose description gives a range (minimum, maximum,
// step) of the values it accepts rather than a list.
bool rangeForm(std::uint32_t id);

// The events a camera lists in its device information.
const std::vector<prUInt16>& supportedEvents();

// Battery status codes (property 0xD003, the "battery" key of a camera).
inline constexpr std::uint32_t BatteryStatusNormal = 1;
// Battery kinds (property 0xD002).
inline constexpr std::uint32_t BatteryKindLithium = 2;

} // namespace vostrel::sim::pr
