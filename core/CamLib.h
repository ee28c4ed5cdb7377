#pragma once
// The conversions between public values and camera codes that all backends
// share: aperture and shutter speed (all three families) and sensitivity (CD
// and EOS). The public side counts settings in thirds of a stop from 1 up;
// 0 means "no value". The camera codes rise by 3, 2, 3 within each group of
// three thirds, so by 8 per stop.
//
// Code to value: a code that is not a table code falls to the value below it
// (aperture, shutter speed) or gives 0 (sensitivity). Value to code: only the
// low seven bits of the value count; a value outside the table gives the
// invalid code (0xFFFF, or 0xFF for sensitivity), which a backend must check
// before it sends anything to the camera.

#include <cstdint>

namespace vostrel::CamLib {

inline constexpr std::uint16_t InvalidCode16 = 0xFFFF;
inline constexpr std::uint8_t InvalidCode8 = 0xFF;

// Aperture: value k (1..40) stands for code 8, 11, 13, 16, ... 109, 112.
std::uint8_t ApertureCodeToValue(std::uint16_t code);
std::uint16_t ApertureValueToCode(std::uint32_t value);

// Shutter speed: value 1 stands for code 4, value k (2..59) for code
// 16, 19, 21, 24, ... 165, 168.
std::uint8_t ShutterSpeedCodeToValue(std::uint16_t code);
std::uint16_t ShutterSpeedValueToCode(std::uint32_t value);

// Sensitivity: value 1 stands for code 0, value k (2..20) for code
// 64, 67, 69, 72, ... 109, 112. Only exact codes convert.
std::uint8_t SensitivityCodeToValue(std::uint8_t code);
std::uint8_t SensitivityValueToCode(std::uint32_t value);

} // namespace vostrel::CamLib
