#pragma once
// Conversions between the public values of the EOS shooting parameters and
// the codes of the EDSDK properties behind them.
//
// Each parameter kind has one conversion, used in both directions:
// - reading turns a property value into the public value of its code, or 0
//   when the code stands for no public value;
// - writing turns a public value into its code, or into the kind's no-value
//   code when the value has none. A code equal to the no-value code is never
//   sent to the camera.
// A conversion also knows which bits of the 32-bit property value carry the
// code (the low byte, the low 16 bits or all of them).
//
// Ten kinds convert through tables of their own (below); aperture, shutter
// speed and sensitivity through the conversions shared by all backends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace vostrel::eos {

// The bits of a property value that carry the code.
enum class CodeBits : std::uint8_t { LowByte, Low16Bits, All };

constexpr std::uint32_t CodeBitsOf(std::uint32_t propertyValue, CodeBits bits) {
  switch (bits) {
  case CodeBits::LowByte:
    return propertyValue & 0xFFu;
  case CodeBits::Low16Bits:
    return propertyValue & 0xFFFFu;
  case CodeBits::All:
    break;
  }
  return propertyValue;
}

// The conversion of one parameter kind.
class ParamConversion {
public:
  // The public value of a property value; 0 when its code has none.
  virtual std::uint8_t ToValue(std::uint32_t propertyValue) const = 0;
  // The code of a public value; NoValueCode() when the value has none.
  virtual std::int32_t ToCode(std::uint32_t value) const = 0;
  virtual std::int32_t NoValueCode() const = 0;

protected:
  constexpr ParamConversion() = default;
  ~ParamConversion() = default;
};

// One row of a table: a public value and the code that stands for it.
struct ValueCode {
  std::uint8_t Value;
  std::int32_t Code;
};

// A conversion by a table of rows; values and codes are each unique.
class CodeTable final : public ParamConversion {
public:
  constexpr CodeTable(std::span<const ValueCode> rows, std::int32_t noValueCode, CodeBits bits)
      : rows_(rows), noValueCode_(noValueCode), bits_(bits) {}

  constexpr std::uint8_t ToValue(std::uint32_t propertyValue) const override {
    const std::uint32_t code = CodeBitsOf(propertyValue, bits_);
    for (const ValueCode& row : rows_) {
      if (static_cast<std::uint32_t>(row.Code) == code) {
        return row.Value;
      }
    }
    return 0;
  }

  constexpr std::int32_t ToCode(std::uint32_t value) const override {
    for (const ValueCode& row : rows_) {
      if (row.Value == value) {
        return row.Code;
      }
    }
    return noValueCode_;
  }

  constexpr std::int32_t NoValueCode() const override { return noValueCode_; }
  constexpr std::span<const ValueCode> Rows() const { return rows_; }

private:
  std::span<const ValueCode> rows_;
  std::int32_t noValueCode_;
  CodeBits bits_;
};

// A conversion by one of the shared scales (aperture, shutter speed,
// sensitivity), whose functions live in CamLib.
class CodeScale final : public ParamConversion {
public:
  using CodeToValueFn = std::uint8_t (*)(std::uint32_t code);
  using ValueToCodeFn = std::int32_t (*)(std::uint32_t value);

  constexpr CodeScale(CodeToValueFn toValue, ValueToCodeFn toCode, std::int32_t noValueCode,
                      CodeBits bits)
      : toValue_(toValue), toCode_(toCode), noValueCode_(noValueCode), bits_(bits) {}

  std::uint8_t ToValue(std::uint32_t propertyValue) const override {
    return toValue_(CodeBitsOf(propertyValue, bits_));
  }
  std::int32_t ToCode(std::uint32_t value) const override { return toCode_(value); }
  std::int32_t NoValueCode() const override { return noValueCode_; }

private:
  CodeToValueFn toValue_;
  ValueToCodeFn toCode_;
  std::int32_t noValueCode_;
  CodeBits bits_;
};

// ---------------------------------------------------------------------------
// The tables

// Q: compression quality, of the picture and of the JPEG beside a RAW.
// Public value 5 is also the RAW setting.
inline constexpr std::array<ValueCode, 4> CompQualityRows{{{2, 2}, {3, 3}, {4, 5}, {5, 4}}};
inline constexpr CodeTable CompQualityTable{CompQualityRows, -1, CodeBits::LowByte};

// S: image size, of the picture and of the JPEG beside a RAW.
inline constexpr std::array<ValueCode, 5> ImageSizeRows{{{1, 0}, {2, 1}, {3, 2}, {4, 5}, {5, 6}}};
inline constexpr CodeTable ImageSizeTable{ImageSizeRows, -1, CodeBits::LowByte};

// M: image mode (the camera's shooting mode).
inline constexpr std::array<ValueCode, 14> ImageModeRows{{{1, 9},
                                                          {2, 3},
                                                          {3, 13},
                                                          {4, 11},
                                                          {6, 10},
                                                          {9, 12},
                                                          {11, 14},
                                                          {16, 0},
                                                          {17, 1},
                                                          {18, 2},
                                                          {19, 5},
                                                          {20, 6},
                                                          {21, 4},
                                                          {23, 15}}};
inline constexpr CodeTable ImageModeTable{ImageModeRows, -1, CodeBits::LowByte};

// D: drive mode. Every public value of the kind has a code; a value beyond
// them gets the no-value code, so it never turns into single-frame shooting.
inline constexpr std::array<ValueCode, 7> DriveModeRows{
    {{1, 0}, {2, 1}, {3, 2}, {4, 4}, {5, 5}, {6, 16}, {7, 17}}};
inline constexpr CodeTable DriveModeTable{DriveModeRows, -1, CodeBits::All};

// L: metering mode.
inline constexpr std::array<ValueCode, 4> MeteringModeRows{{{2, 1}, {4, 3}, {5, 4}, {6, 5}}};
inline constexpr CodeTable MeteringModeTable{MeteringModeRows, -1, CodeBits::All};

// F: AF mode.
inline constexpr std::array<ValueCode, 4> AFModeRows{{{1, 0}, {2, 1}, {3, 2}, {4, 3}}};
inline constexpr CodeTable AFModeTable{AFModeRows, -1, CodeBits::All};

// W: white-balance setting. Value 13 (code 9) is the colour-temperature
// setting, with which the Kelvin value applies.
inline constexpr std::array<ValueCode, 12> WhiteBalanceRows{{{1, 0},
                                                             {2, 1},
                                                             {3, 2},
                                                             {4, 3},
                                                             {5, 4},
                                                             {6, 5},
                                                             {7, 6},
                                                             {12, 8},
                                                             {13, 9},
                                                             {14, 10},
                                                             {15, 11},
                                                             {16, 12}}};
inline constexpr CodeTable WhiteBalanceTable{WhiteBalanceRows, -10, CodeBits::LowByte};
inline constexpr std::uint8_t WhiteBalanceColorTemperature = 13;

// C: colour space.
inline constexpr std::array<ValueCode, 2> ColorSpaceRows{{{1, 1}, {2, 2}}};
inline constexpr CodeTable ColorSpaceTable{ColorSpaceRows, -1, CodeBits::All};

// E: exposure compensation in steps of a third of a stop, from +2 down to -2,
// coded in eighths of a stop rounded to the nearest (16 is +2, 13 is +1 2/3,
// 11 is +1 1/3). The negative steps are 8-bit two's complement codes (253 is
// -3, that is -1/3).
inline constexpr std::array<ValueCode, 13> ExposureCompensationRows{{{1, 16},
                                                                     {2, 13},
                                                                     {3, 11},
                                                                     {4, 8},
                                                                     {5, 5},
                                                                     {6, 3},
                                                                     {7, 0},
                                                                     {8, 253},
                                                                     {9, 251},
                                                                     {10, 248},
                                                                     {11, 245},
                                                                     {12, 243},
                                                                     {13, 240}}};
inline constexpr CodeTable ExposureCompensationTable{ExposureCompensationRows, 255, CodeBits::All};

// P: photo effect.
inline constexpr std::array<ValueCode, 2> PhotoEffectRows{{{1, 0}, {6, 5}}};
inline constexpr CodeTable PhotoEffectTable{PhotoEffectRows, 99, CodeBits::LowByte};

// ---------------------------------------------------------------------------
// The shared scales, as the EOS properties carry them

// Aperture (Av): 16-bit codes, no-value code 0xFFFF.
extern const CodeScale ApertureScale;
// Shutter speed (Tv): 16-bit codes, no-value code 0xFFFF.
extern const CodeScale ShutterSpeedScale;
// Sensitivity (ISO): 8-bit codes, no-value code 0xFF.
extern const CodeScale SensitivityScale;

} // namespace vostrel::eos
