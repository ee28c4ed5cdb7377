#pragma once
// What the public values of the shooting parameters mean to a photographer:
// one table per kind ("f/5.6" for an aperture, "1/125" for a shutter speed,
// "daylight" for a white balance), used both to show values and to read the
// values a user types. A public value means the same setting on every
// camera family that has it, with one exception the backends' tables make:
// the older PowerShot (CD) cameras count sharpness the other way round
// (value 1 is their highest sharpness, and the lowest on the PR cameras).
// So a table is chosen by the family of the connected camera.

#include "tools/CameraChoice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::tools {

class ValueTable {
public:
  enum class Style {
    // Small public codes, each with a meaning of its own.
    Coded,
    // A signed number shown with its sign ("+2", "0", "-1").
    Signed,
    // A number shown as it is.
    Plain,
    // 0 or 1, shown as "no" and "yes".
    Boolean,
    // A colour temperature in Kelvin.
    Kelvin,
  };

  // A coded table: the meanings of the values 0, 1, 2, ...; an empty text
  // marks a value without a known meaning. A meaning may carry other
  // spellings after '|' ("colour temperature|kelvin"). The normaliser turns
  // both a meaning and what the user typed into the form they are compared
  // in ("f/5.6" and "5.6" both into "5.6").
  ValueTable(std::vector<std::string> meanings, std::string (*normalise)(const std::string&));
  // A table of numbers between lowest and highest.
  ValueTable(Style style, std::int32_t lowest, std::int32_t highest);

  Style ValueStyle() const { return style_; }
  std::int32_t Lowest() const { return lowest_; }
  std::int32_t Highest() const { return highest_; }

  // The meaning of a value, or the empty string for 0 of a coded table (no
  // value) and for a value without a known meaning.
  std::string Meaning(std::int32_t value) const;
  // The value as the host shows it: "16 (f/5.6)", "0 (no value)" for 0 of
  // a coded table, or the bare number when it has no meaning of its own.
  std::string Show(std::int32_t value) const;

  // Reads what the user typed: a meaning in any of its spellings, a public
  // value, or "#N" for public value N. Raises ToolError when the text could
  // be both a meaning and a different public value ("Av=8": f/8 or value 8);
  // nullopt when it is neither.
  std::optional<std::int32_t> Parse(const std::string& text) const;

private:
  std::optional<std::int32_t> FindMeaning(const std::string& text) const;

  Style style_;
  std::int32_t lowest_;
  std::int32_t highest_;
  std::vector<std::string> meanings_;
  std::string (*normalise_)(const std::string&) = nullptr;
};

// The table of a TxRemoteParamType kind on a camera of the family (the
// Kelvin value included; the white-balance shift and the picture style are
// groups of fields).
const ValueTable& RemoteParamValues(std::int32_t kind, CameraFamily family);
// The tables of the fields of the picture style and of the white-balance
// shift (TxRemoteParamPictureStyleType, TxRemoteParamWhitebalanceShiftType).
const ValueTable& PictureStyleValues(std::int32_t field);
const ValueTable& WhitebalanceShiftValues(std::int32_t field);

// The values whose flag is '1' in a row of supported values as the control
// gives it (one character per public value).
std::vector<std::int32_t> SupportedValues(const std::string& flags);

// "f/2.8, f/3.2 and f/4": the meanings of the values, joined for a message.
std::string ListMeanings(const ValueTable& table, const std::vector<std::int32_t>& values);

} // namespace vostrel::tools
