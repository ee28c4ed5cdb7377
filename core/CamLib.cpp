#include "core/CamLib.h"

#include <array>

namespace vostrel::CamLib {

namespace {

// A scale in thirds of a stop: public values FirstValue..LastValue stand for
// codes that start at FirstCode and rise by 3, 2, 3, 3, 2, 3, ...
struct ThirdsScale {
  std::uint32_t FirstValue;
  std::uint32_t LastValue;
  std::uint32_t FirstCode;

  constexpr std::uint32_t CodeOf(std::uint32_t value) const {
    constexpr std::array<std::uint32_t, 3> withinStop{0, 3, 5};
    const std::uint32_t step = value - FirstValue;
    return FirstCode + 8 * (step / 3) + withinStop[step % 3];
  }

  constexpr bool Contains(std::uint32_t value) const {
    return value >= FirstValue && value <= LastValue;
  }

  // The highest value whose code is not above the given code; the code must
  // not be below FirstCode.
  constexpr std::uint32_t ValueAtOrBelow(std::uint32_t code) const {
    std::uint32_t value = FirstValue;
    while (value < LastValue && CodeOf(value + 1) <= code) {
      ++value;
    }
    return value;
  }
};

constexpr ThirdsScale ApertureScale{1, 40, 8};
constexpr ThirdsScale ShutterSpeedScale{2, 59, 16};
constexpr ThirdsScale SensitivityScale{2, 20, 64};

// The public value 1 of shutter speed and sensitivity lies outside the scale.
constexpr std::uint32_t SlowestShutterSpeedCode = 4;
constexpr std::uint32_t AutoSensitivityCode = 0;

constexpr std::uint32_t SevenBits(std::uint32_t value) {
  return value & 0x7F;
}

static_assert(ApertureScale.CodeOf(40) == 112);
static_assert(ShutterSpeedScale.CodeOf(59) == 168);
static_assert(SensitivityScale.CodeOf(20) == 112);

} // namespace

std::uint8_t ApertureCodeToValue(std::uint16_t code) {
  if (code < ApertureScale.FirstCode) {
    return 0;
  }
  return static_cast<std::uint8_t>(ApertureScale.ValueAtOrBelow(code));
}

std::uint16_t ApertureValueToCode(std::uint32_t value) {
  value = SevenBits(value);
  if (!ApertureScale.Contains(value)) {
    return InvalidCode16;
  }
  return static_cast<std::uint16_t>(ApertureScale.CodeOf(value));
}

std::uint8_t ShutterSpeedCodeToValue(std::uint16_t code) {
  if (code < SlowestShutterSpeedCode) {
    return 0;
  }
  if (code < ShutterSpeedScale.FirstCode) {
    return 1;
  }
  return static_cast<std::uint8_t>(ShutterSpeedScale.ValueAtOrBelow(code));
}

std::uint16_t ShutterSpeedValueToCode(std::uint32_t value) {
  value = SevenBits(value);
  if (value == 1) {
    return SlowestShutterSpeedCode;
  }
  if (!ShutterSpeedScale.Contains(value)) {
    return InvalidCode16;
  }
  return static_cast<std::uint16_t>(ShutterSpeedScale.CodeOf(value));
}

std::uint8_t SensitivityCodeToValue(std::uint8_t code) {
  if (code == AutoSensitivityCode) {
    return 1;
  }
  if (code < SensitivityScale.FirstCode) {
    return 0;
  }
  const std::uint32_t value = SensitivityScale.ValueAtOrBelow(code);
  return SensitivityScale.CodeOf(value) == code ? static_cast<std::uint8_t>(value) : 0;
}

std::uint8_t SensitivityValueToCode(std::uint32_t value) {
  value = SevenBits(value);
  if (value == 1) {
    return AutoSensitivityCode;
  }
  if (!SensitivityScale.Contains(value)) {
    return InvalidCode8;
  }
  return static_cast<std::uint8_t>(SensitivityScale.CodeOf(value));
}

} // namespace vostrel::CamLib
