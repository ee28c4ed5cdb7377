#pragma once
// What the simulated EDSDK.DLL knows about EOS cameras: the property
// identifiers and their names in scenarios, the settings a camera has before
// a scenario changes them, the white balances and what they mean for RAW
// development, and the camera's own handling of image-quality values.

#include "eos/EDSDKTYPES.h"
#include "sim/world/Scenario.h"

namespace vostrel::sim::eds {

class EdsFamily final : public CameraFamily {
public:
  std::string section() const override { return "eos"; }
  Camera defaultCamera(std::size_t index) const override;
  std::optional<std::uint32_t> propertyId(const std::string& name) const override;
  std::string propertyName(std::uint32_t id) const override;
  std::uint32_t dataTypeFor(ValueKind kind) const override;
  RawShot defaultRawShot() const override;
  std::string rawExtension() const override { return ".CR2"; }
};

// The camera's side of a write of property id: an image quality with a RAW
// primary image always has the camera's one RAW size and quality, whatever
// was written for them.
void normaliseWrite(std::uint32_t id, Bytes& value);

// White-balance codes that a RAW picture can be developed with.
std::uint32_t allRawWhiteBalances();

// The colour temperature that a white-balance code stands for in RAW
// development; `asShot` for the codes that keep the shot's own, `chosen`
// for the colour-temperature setting.
std::uint32_t kelvinForWhiteBalance(std::uint32_t code, std::uint32_t asShot, std::uint32_t chosen);

inline constexpr std::uint32_t WhiteBalanceColorTemperature = 9;
inline constexpr std::uint32_t MinimumKelvin = 2500;
inline constexpr std::uint32_t MaximumKelvin = 10000;

} // namespace vostrel::sim::eds
