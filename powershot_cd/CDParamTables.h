#pragma once
// Conversions between the public values of the CD shooting parameters and the
// codes of CDSDK.DLL.
//
// Each parameter kind has one conversion, used in both directions:
// - reading turns a CD code into its public value, or 0 when it has none;
// - writing turns a public value into its CD code, or into the kind's
//   fallback code when the public value has none. The fallback is sent to
//   the camera like any other code, and the camera refuses it.
// Most tables look only at the low seven bits of a public value (129 acts as
// 1); contrast, sharpness and beep look at the whole byte.

#include "core/CamDefines.h"

#include <array>
#include <cstdint>
#include <span>

namespace vostrel::cd {

class CDConversion {
public:
  // The public value of a CD code; 0 when it has none.
  virtual std::uint8_t ToValue(std::uint32_t code) const = 0;
  // The CD code written for a public value.
  virtual std::uint32_t ToCode(std::uint8_t value) const = 0;
  // A code without a public value: what a variable receiving a code starts
  // from, so that a read that delivers nothing reads as 0.
  virtual std::uint32_t NoValueCode() const = 0;

protected:
  constexpr CDConversion() = default;
  ~CDConversion() = default;
};

// One row of a table: a CD code and the public value it stands for.
struct CDValueCode {
  std::uint32_t Code;
  std::uint8_t Value;
};

enum class ValueBits { LowSeven, Whole };

class CDCodeTable final : public CDConversion {
public:
  constexpr CDCodeTable(std::span<const CDValueCode> rows, std::uint32_t fallback,
                        ValueBits bits = ValueBits::LowSeven)
      : rows_(rows), fallback_(fallback), bits_(bits) {}

  constexpr std::uint8_t ToValue(std::uint32_t code) const override {
    for (const CDValueCode& row : rows_) {
      if (row.Code == code) {
        return row.Value;
      }
    }
    return 0;
  }

  constexpr std::uint32_t ToCode(std::uint8_t value) const override {
    const std::uint8_t looked = bits_ == ValueBits::LowSeven ? value & 0x7F : value;
    for (const CDValueCode& row : rows_) {
      if (row.Value == looked) {
        return row.Code;
      }
    }
    return fallback_;
  }

  // The fallback is no row's code.
  constexpr std::uint32_t NoValueCode() const override { return fallback_; }

  constexpr std::span<const CDValueCode> Rows() const { return rows_; }
  constexpr std::uint32_t Fallback() const { return fallback_; }

private:
  std::span<const CDValueCode> rows_;
  std::uint32_t fallback_;
  ValueBits bits_;
};

// A conversion by one of the scales that all backends share (aperture,
// shutter speed, sensitivity).
class CDCodeScale final : public CDConversion {
public:
  using CodeToValueFn = std::uint8_t (*)(std::uint32_t code);
  using ValueToCodeFn = std::uint32_t (*)(std::uint32_t value);

  constexpr CDCodeScale(CodeToValueFn toValue, ValueToCodeFn toCode, std::uint32_t noValueCode)
      : toValue_(toValue), toCode_(toCode), noValueCode_(noValueCode) {}

  std::uint8_t ToValue(std::uint32_t code) const override { return toValue_(code); }
  std::uint32_t ToCode(std::uint8_t value) const override { return toCode_(value); }
  std::uint32_t NoValueCode() const override { return noValueCode_; }

private:
  CodeToValueFn toValue_;
  ValueToCodeFn toCode_;
  std::uint32_t noValueCode_;
};

// ---------------------------------------------------------------------------
// The tables

inline constexpr std::array<CDValueCode, 5> QualityRows{{{1, 1}, {2, 2}, {3, 3}, {5, 4}, {4, 5}}};
inline constexpr CDCodeTable QualityTable{QualityRows, 0xFFFF};

inline constexpr std::array<CDValueCode, 6> ImageSizeRows{
    {{0, 1}, {1, 2}, {2, 3}, {5, 4}, {6, 5}, {7, 6}}};
inline constexpr CDCodeTable ImageSizeTable{ImageSizeRows, 0x0FFF};

// Shooting mode, the public image mode: 36 values.
inline constexpr std::array<CDValueCode, 36> ImageModeRows{{
    {0, 1},    {4, 2},    {102, 3},  {103, 4},  {104, 5},  {105, 6},  {106, 7},  {107, 8},
    {108, 9},  {109, 10}, {110, 11}, {111, 12}, {112, 13}, {113, 14}, {114, 15}, {1, 16},
    {2, 17},   {3, 18},   {5, 19},   {6, 20},   {7, 21},   {101, 22}, {115, 23}, {116, 24},
    {117, 25}, {118, 26}, {119, 27}, {120, 28}, {121, 29}, {122, 30}, {123, 31}, {124, 32},
    {125, 33}, {126, 34}, {127, 35}, {128, 36},
}};
inline constexpr CDCodeTable ImageModeTable{ImageModeRows, 0x0FFF};

// Exposure compensation, also of the flash: thirds of a stop, 24 is none.
inline constexpr std::array<CDValueCode, 13> CompensationRows{{{8, 1},
                                                               {11, 2},
                                                               {13, 3},
                                                               {16, 4},
                                                               {19, 5},
                                                               {21, 6},
                                                               {24, 7},
                                                               {27, 8},
                                                               {29, 9},
                                                               {32, 10},
                                                               {35, 11},
                                                               {37, 12},
                                                               {40, 13}}};
inline constexpr CDCodeTable CompensationTable{CompensationRows, 0xFF};

// White balance: value 13 is the colour temperature (code 9, with the Kelvin
// setting); code 13 has no public value.
inline constexpr std::array<CDValueCode, 16> WhiteBalanceRows{{{0, 1},
                                                               {1, 2},
                                                               {2, 3},
                                                               {3, 4},
                                                               {4, 5},
                                                               {5, 6},
                                                               {14, 7},
                                                               {6, 8},
                                                               {15, 9},
                                                               {16, 10},
                                                               {7, 11},
                                                               {8, 12},
                                                               {9, 13},
                                                               {10, 14},
                                                               {11, 15},
                                                               {12, 16}}};
inline constexpr CDCodeTable WhiteBalanceTable{WhiteBalanceRows, 0x7FFF};
inline constexpr std::uint8_t WhiteBalanceColorTemperature = 13;

inline constexpr std::array<CDValueCode, 12> AFDistanceRows{{{0, 1},
                                                             {1, 2},
                                                             {2, 3},
                                                             {3, 4},
                                                             {4, 5},
                                                             {5, 6},
                                                             {6, 7},
                                                             {7, 8},
                                                             {8, 9},
                                                             {9, 10},
                                                             {10, 11},
                                                             {11, 12}}};
inline constexpr CDCodeTable AFDistanceTable{AFDistanceRows, 0xFF};

inline constexpr std::array<CDValueCode, 7> FlashModeRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}}};
inline constexpr CDCodeTable FlashModeTable{FlashModeRows, 0xFF};

inline constexpr std::array<CDValueCode, 6> MeteringRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}};
inline constexpr CDCodeTable MeteringTable{MeteringRows, 0xFF};

// Contrast and colour gain: signed bytes -1, 0, +1.
inline constexpr std::array<CDValueCode, 3> ContrastRows{{{0xFF, 1}, {0, 2}, {1, 3}}};
inline constexpr CDCodeTable ContrastTable{ContrastRows, 0x7F, ValueBits::Whole};

// Sharpness: the reverse order.
inline constexpr std::array<CDValueCode, 3> SharpnessRows{{{1, 1}, {0, 2}, {0xFF, 3}}};
inline constexpr CDCodeTable SharpnessTable{SharpnessRows, 0x7F, ValueBits::Whole};

// Photo effect: value 2 has no code.
inline constexpr std::array<CDValueCode, 5> PhotoEffectRows{
    {{0, 1}, {1, 3}, {2, 4}, {3, 5}, {4, 6}}};
inline constexpr CDCodeTable PhotoEffectTable{PhotoEffectRows, 0xFFFF};

inline constexpr std::array<CDValueCode, 2> BeepRows{{{1, 1}, {0, 2}}};
inline constexpr CDCodeTable BeepTable{BeepRows, 0xFF, ValueBits::Whole};

// The shared scales; sensitivity looks at the low byte of its code.
extern const CDCodeScale ApertureScale;
extern const CDCodeScale ShutterSpeedScale;
extern const CDCodeScale SensitivityScale;

} // namespace vostrel::cd
