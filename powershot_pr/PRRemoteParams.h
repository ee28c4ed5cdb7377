#pragma once
// The shooting parameters of a connected PR camera: which camera property
// stands for which field of RemoteParamsType, and reading and writing them
// all as one record of public values.
//
// Neither direction reports an SDK failure: a property that cannot be read
// leaves its field 0, a write the camera refuses keeps the camera's value.
// (Calling while PRSDK.DLL is not bound still raises, as every PR call does.)

#include "core/CamDefines.h"
#include "powershot_pr/PRParamTables.h"
#include "powershot_pr/PRTYPE.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vostrel::pr {

// A camera property and the width of its value in bytes (1 or 2).
struct PRProperty {
  prUInt16 Code;
  prUInt32 Width;
};

inline constexpr PRProperty ImageSizeProperty{0xD008, 1};
inline constexpr PRProperty QualityProperty{0xD006, 1};
// The format selector: 2 means RAW, whatever the quality says.
inline constexpr PRProperty FormatProperty{0xD007, 1};
inline constexpr std::uint32_t FormatRAW = 2;
inline constexpr std::uint32_t FormatJPEG = 1;
inline constexpr std::uint8_t QualityRAW = 5;
inline constexpr PRProperty ShootingModeProperty{0xD00C, 1};
inline constexpr PRProperty DriveModeProperty{0xD00E, 1};
inline constexpr PRProperty DriveModeSettingProperty{0xD009, 2};
inline constexpr PRProperty ApertureProperty{0xD01D, 2};
inline constexpr PRProperty ShutterSpeedProperty{0xD01E, 2};

// A property of one field, converted by one table.
struct PRParam {
  TxRemoteParamType Kind;
  PRProperty Property;
  std::uint8_t RemoteParamsType::*Field;
  const PRConversion& Conversion;
};

extern const PRParam ImageSizeParam;
extern const PRParam QualityParam;
extern const PRParam ShootingModeParam;
extern const PRParam ApertureParam;
extern const PRParam ShutterSpeedParam;
extern const PRParam DriveModeParam;

// The parameters that need nothing but their own property, in the order in
// which they are read and written after the others.
extern const std::array<const PRParam*, 14> PlainParams;

// Whether the image mode (public value) lets the camera take an aperture or
// a shutter speed.
constexpr bool TakesAperture(std::uint8_t imageMode) {
  return imageMode == 2 || imageMode == 18;
}
constexpr bool TakesShutterSpeed(std::uint8_t imageMode) {
  return imageMode == 2 || imageMode == 17;
}

// One property value, or nothing when the SDK call fails.
std::optional<std::uint32_t> ReadPRProperty(prHandle camera, PRProperty property);
// Writes one property value; the SDK's result is ignored.
void WritePRProperty(prHandle camera, PRProperty property, std::uint32_t value);

// Fills the record with the camera's current settings; fields without a PR
// property are 0.
void ReadRemoteParams(prHandle camera, RemoteParamsType& params);

// Writes every non-zero field with a PR property, in a fixed order. Aperture
// and shutter speed go only with an image mode of the record that takes
// them; the image mode is written before them.
void WriteRemoteParams(prHandle camera, const RemoteParamsType& params);

} // namespace vostrel::pr
