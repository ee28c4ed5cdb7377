#pragma once
// Conversions between the public values of the PR shooting parameters and the
// values of the camera properties behind them.
//
// A PR value is the property's raw bits at its width (8 or 16 bits); a
// signed byte such as -1 is the value 0xFF. Each parameter kind has one
// conversion, used in both directions:
// - reading turns a PR value into its public value, or 0 when it has none;
// - writing turns a public value into its PR value, or into the kind's
//   fallback PR value when the public value has none. Unlike on the EOS
//   cameras, the fallback is sent to the camera like any other value.

#include "core/CamDefines.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vostrel::pr {

class PRConversion {
public:
  // The public value of a PR value; 0 when it has none.
  virtual std::uint8_t ToValue(std::uint32_t prValue) const = 0;
  // The PR value written for a public value.
  virtual std::uint32_t ToPRValue(std::uint8_t value) const = 0;

protected:
  constexpr PRConversion() = default;
  ~PRConversion() = default;
};

// One row of a table: a PR value and the public value it stands for.
struct PRValueCode {
  std::uint32_t PRValue;
  std::uint8_t Value;
};

// A conversion by a table whose rows convert both ways, with rows that only
// read (further PR values of a public value whose own row writes).
class PRCodeTable final : public PRConversion {
public:
  constexpr PRCodeTable(std::span<const PRValueCode> rows, std::uint32_t fallback,
                        std::span<const PRValueCode> readOnlyRows = {})
      : rows_(rows), readOnlyRows_(readOnlyRows), fallback_(fallback) {}

  constexpr std::uint8_t ToValue(std::uint32_t prValue) const override {
    for (const auto table : {rows_, readOnlyRows_}) {
      for (const PRValueCode& row : table) {
        if (row.PRValue == prValue) {
          return row.Value;
        }
      }
    }
    return 0;
  }

  constexpr std::uint32_t ToPRValue(std::uint8_t value) const override {
    for (const PRValueCode& row : rows_) {
      if (row.Value == value) {
        return row.PRValue;
      }
    }
    return fallback_;
  }

  constexpr std::span<const PRValueCode> Rows() const { return rows_; }
  constexpr std::span<const PRValueCode> ReadOnlyRows() const { return readOnlyRows_; }
  constexpr std::uint32_t Fallback() const { return fallback_; }

private:
  std::span<const PRValueCode> rows_;
  std::span<const PRValueCode> readOnlyRows_;
  std::uint32_t fallback_;
};

// A conversion by one of the scales shared by all backends (aperture,
// shutter speed, sensitivity). A PR value beyond the scale's code width has
// no public value.
class PRCodeScale final : public PRConversion {
public:
  using CodeToValueFn = std::uint8_t (*)(std::uint32_t code);
  using ValueToCodeFn = std::uint32_t (*)(std::uint32_t value);

  constexpr PRCodeScale(CodeToValueFn toValue, ValueToCodeFn toCode, std::uint32_t largestCode)
      : toValue_(toValue), toCode_(toCode), largestCode_(largestCode) {}

  std::uint8_t ToValue(std::uint32_t prValue) const override {
    return prValue > largestCode_ ? 0 : toValue_(prValue);
  }
  std::uint32_t ToPRValue(std::uint8_t value) const override { return toCode_(value); }

private:
  CodeToValueFn toValue_;
  ValueToCodeFn toCode_;
  std::uint32_t largestCode_;
};

// ---------------------------------------------------------------------------
// The tables

inline constexpr std::array<PRValueCode, 5> ImageSizeRows{{{0, 1}, {1, 4}, {2, 3}, {3, 5}, {7, 6}}};
inline constexpr PRCodeTable ImageSizeTable{ImageSizeRows, 255};

// Quality (property 0xD006). Public value 5 is also the RAW format selector.
inline constexpr std::array<PRValueCode, 5> QualityRows{{{1, 1}, {2, 2}, {3, 3}, {4, 5}, {5, 4}}};
inline constexpr PRCodeTable QualityTable{QualityRows, 255};

// Shooting mode, the public image mode.
inline constexpr std::array<PRValueCode, 34> ShootingModeRows{{
    {0, 1},    {1, 16},   {2, 17},   {3, 18},   {4, 2},    {5, 19},   {6, 20},
    {7, 21},   {128, 22}, {129, 35}, {130, 9},  {132, 6},  {133, 26}, {134, 31},
    {135, 29}, {136, 28}, {138, 33}, {140, 36}, {143, 34}, {144, 24}, {145, 30},
    {146, 32}, {147, 4},  {148, 5},  {151, 15}, {152, 7},  {153, 8},  {154, 14},
    {155, 10}, {156, 11}, {157, 25}, {158, 13}, {159, 12}, {160, 23},
}};
inline constexpr PRCodeTable ShootingModeTable{ShootingModeRows, 255};

// Drive mode (property 0xD00E). PR value 2 is resolved through its setting.
inline constexpr std::array<PRValueCode, 4> DriveModeRows{{{0, 1}, {1, 2}, {4, 5}, {5, 4}}};
inline constexpr PRCodeTable DriveModeTable{DriveModeRows, 255};
inline constexpr std::uint32_t DriveModeWithSetting = 2;

// The setting of drive mode 2 (property 0xD009); it has no fallback of its
// own, only public values 6 and 7 are ever written.
inline constexpr std::array<PRValueCode, 2> DriveModeSettingRows{{{100, 6}, {20, 7}}};
inline constexpr PRCodeTable DriveModeSettingTable{DriveModeSettingRows, 0};

// Exposure compensation, also of the strobe.
inline constexpr std::array<PRValueCode, 13> ExposureCompensationRows{{{8, 1},
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
inline constexpr PRCodeTable ExposureCompensationTable{ExposureCompensationRows, 255};

// White balance: PR 14 reads as the value of PR 7.
inline constexpr std::array<PRValueCode, 9> WhiteBalanceRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {7, 7}, {10, 8}, {11, 9}, {12, 10}}};
inline constexpr std::array<PRValueCode, 1> WhiteBalanceReadOnlyRows{{{14, 7}}};
inline constexpr PRCodeTable WhiteBalanceTable{WhiteBalanceRows, 255, WhiteBalanceReadOnlyRows};

inline constexpr std::array<PRValueCode, 8> AFDistanceRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}}};
inline constexpr PRCodeTable AFDistanceTable{AFDistanceRows, 255};

inline constexpr std::array<PRValueCode, 7> AFFocusingPointRows{
    {{0x1000, 1}, {0x1001, 2}, {0x3000, 3}, {0x3001, 4}, {0x3002, 5}, {0x3003, 6}, {0x3004, 7}}};
inline constexpr PRCodeTable AFFocusingPointTable{AFFocusingPointRows, 0};

// AF assist light: every value but "on" switches it off.
inline constexpr std::array<PRValueCode, 2> AFAssistLightRows{{{1, 1}, {0, 2}}};
inline constexpr PRCodeTable AFAssistLightTable{AFAssistLightRows, 0};

inline constexpr std::array<PRValueCode, 7> StrobeRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}}};
inline constexpr PRCodeTable StrobeTable{StrobeRows, 255};

inline constexpr std::array<PRValueCode, 6> MeteringRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}};
inline constexpr PRCodeTable MeteringTable{MeteringRows, 255};

// Contrast, colour gain and sharpness: signed bytes -1, 0, +1.
inline constexpr std::array<PRValueCode, 3> ThreeLevelRows{{{0xFF, 1}, {0, 2}, {1, 3}}};
inline constexpr PRCodeTable ThreeLevelTable{ThreeLevelRows, 127};

inline constexpr std::array<PRValueCode, 6> PhotoEffectRows{
    {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}};
inline constexpr PRCodeTable PhotoEffectTable{PhotoEffectRows, 255};

// Sensitivity (property 0xD01C, compared as a whole 16-bit value).
inline constexpr std::array<PRValueCode, 20> ISORows{
    {{0, 1},     {0x40, 2},  {0x43, 3},  {0x45, 4},  {0x48, 5},  {0x4B, 6},  {0x4D, 7},
     {0x50, 8},  {0x53, 9},  {0x55, 10}, {0x58, 11}, {0x5B, 12}, {0x5D, 13}, {0x60, 14},
     {0x63, 15}, {0x65, 16}, {0x68, 17}, {0x6B, 18}, {0x6D, 19}, {0x70, 20}}};
inline constexpr PRCodeTable ISOTable{ISORows, 255};

inline constexpr std::array<PRValueCode, 2> BeepRows{{{1, 1}, {0, 2}}};
inline constexpr PRCodeTable BeepTable{BeepRows, 255};

// The shared scales: aperture and shutter speed on 16 bits.
extern const PRCodeScale ApertureScale;
extern const PRCodeScale ShutterSpeedScale;

} // namespace vostrel::pr
