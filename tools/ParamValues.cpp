#include "tools/ParamValues.h"

#include "core/CamDefines.h"
#include "tools/TextTools.h"
#include "tools/ToolError.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vostrel::tools {

namespace {

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Lower case without blanks, hyphens and underscores: "Colour temperature",
// "colour-temperature" and "COLOUR_TEMPERATURE" compare equal. A minus sign
// before a digit stays: "-1" is not "1".
std::string Words(const std::string& text) {
  const std::string lower = Lowercase(text);
  std::string result;
  for (std::size_t index = 0; index < lower.size(); ++index) {
    const char c = lower[index];
    const bool sign = c == '-' && index + 1 < lower.size() &&
                      std::isdigit(static_cast<unsigned char>(lower[index + 1])) != 0;
    if (sign || (c != ' ' && c != '-' && c != '_' && c != '\t')) {
      result += c;
    }
  }
  return result;
}

std::string WithoutPrefix(std::string text, const std::string& prefix) {
  if (text.rfind(prefix, 0) == 0) {
    text.erase(0, prefix.size());
  }
  return text;
}

std::string WithoutSuffix(std::string text, const std::string& suffix) {
  if (text.size() > suffix.size() &&
      text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0) {
    text.erase(text.size() - suffix.size());
  }
  return text;
}

// "+1" and "1" are one level; "-1" is another.
std::string Level(const std::string& text) {
  return WithoutPrefix(Words(text), "+");
}

// "f/5.6", "f5.6" and "5.6" are one aperture.
std::string Aperture(const std::string& text) {
  return WithoutPrefix(WithoutPrefix(Words(text), "f/"), "f");
}

// "30 s", "30s" and "30\"" are one shutter speed; "1/125" stays as it is.
std::string ShutterSpeed(const std::string& text) {
  std::string words = Words(text);
  words = WithoutSuffix(WithoutSuffix(words, "\""), "s");
  return WithoutSuffix(words, "sec");
}

// "ISO 400" and "400" are one sensitivity.
std::string Sensitivity(const std::string& text) {
  return WithoutPrefix(Words(text), "iso");
}

// "+2/3 EV", "+2/3" and "2/3" are one compensation; so are "-1 1/3" and
// "-1.3". Decimals are rounded to the third they stand for.
std::string Compensation(const std::string& text) {
  std::string words;
  for (const char c : Lowercase(text)) {
    if (c != ' ' && c != '\t') {
      words += c;
    }
  }
  words = WithoutSuffix(words, "ev");
  if (words.find('.') != std::string::npos) {
    try {
      std::size_t used = 0;
      const double stops = std::stod(words, &used);
      if (used == words.size()) {
        const long thirds = std::lround(stops * 3);
        const long whole = std::labs(thirds) / 3;
        const long rest = std::labs(thirds) % 3;
        std::string sign = thirds < 0 ? "-" : "+";
        words = sign + (whole > 0 ? std::to_string(whole) : "") +
                (rest > 0 ? std::to_string(rest) + "/3" : "");
      }
    } catch (const std::exception&) {
    }
  }
  if (!words.empty() && std::isdigit(static_cast<unsigned char>(words[0]))) {
    words.insert(0, "+");
  }
  return words == "+0" || words == "-0" ? "0" : words;
}

// Public value 0 of a coded kind means "no value"; its meaning is empty.
const ValueTable& ApertureTable() {
  static const ValueTable table({"",      "f/1.0", "f/1.1", "f/1.2", "f/1.4", "f/1.6", "f/1.8",
                                 "f/2",   "f/2.2", "f/2.5", "f/2.8", "f/3.2", "f/3.5", "f/4",
                                 "f/4.5", "f/5",   "f/5.6", "f/6.3", "f/7.1", "f/8",   "f/9",
                                 "f/10",  "f/11",  "f/13",  "f/14",  "f/16",  "f/18",  "f/20",
                                 "f/22",  "f/25",  "f/29",  "f/32",  "f/36",  "f/40",  "f/45",
                                 "f/51",  "f/57",  "f/64",  "f/72",  "f/80",  "f/91"},
                                Aperture);
  return table;
}

const ValueTable& ShutterSpeedTable() {
  static const ValueTable table(
      {"",       "bulb",   "30 s",   "25 s",    "20 s",    "15 s",   "13 s",   "10 s",   "8 s",
       "6 s",    "5 s",    "4 s",    "3.2 s",   "2.5 s",   "2 s",    "1.6 s",  "1.3 s",  "1 s",
       "0.8 s",  "0.6 s",  "0.5 s",  "0.4 s",   "0.3 s",   "1/4",    "1/5",    "1/6",    "1/8",
       "1/10",   "1/13",   "1/15",   "1/20",    "1/25",    "1/30",   "1/40",   "1/50",   "1/60",
       "1/80",   "1/100",  "1/125",  "1/160",   "1/200",   "1/250",  "1/320",  "1/400",  "1/500",
       "1/640",  "1/800",  "1/1000", "1/1250",  "1/1600",  "1/2000", "1/2500", "1/3200", "1/4000",
       "1/5000", "1/6400", "1/8000", "1/10000", "1/12800", "1/16000"},
      ShutterSpeed);
  return table;
}

const ValueTable& SensitivityTable() {
  static const ValueTable table(
      {"",        "auto",     "ISO 50",   "ISO 64",   "ISO 80",   "ISO 100",  "ISO 125",
       "ISO 160", "ISO 200",  "ISO 250",  "ISO 320",  "ISO 400",  "ISO 500",  "ISO 640",
       "ISO 800", "ISO 1000", "ISO 1250", "ISO 1600", "ISO 2000", "ISO 2500", "ISO 3200"},
      Sensitivity);
  return table;
}

// Exposure and flash compensation, from +2 down to -2 stops in thirds.
const ValueTable& CompensationTable() {
  static const ValueTable table({"", "+2 EV", "+1 2/3 EV", "+1 1/3 EV", "+1 EV", "+2/3 EV",
                                 "+1/3 EV", "0 EV", "-1/3 EV", "-2/3 EV", "-1 EV", "-1 1/3 EV",
                                 "-1 2/3 EV", "-2 EV"},
                                Compensation);
  return table;
}

ValueTable WordTable(std::vector<std::string> meanings) {
  return ValueTable(std::move(meanings), Words);
}

const ValueTable& QualityTable() {
  static const ValueTable table = WordTable({"", "economy", "normal", "fine", "superfine", "RAW"});
  return table;
}

const ValueTable& SizeTable() {
  static const ValueTable table = WordTable(
      {"", "large|L", "medium|M", "small|S", "medium 1|M1", "medium 2|M2", "medium 3|M3"});
  return table;
}

// Contrast, colour gain and sharpness: the backends' codes are the levels
// -1, 0 and +1. Values 1 to 3 run from low to high, except for the sharpness
// of a CD camera, whose table runs from high to low.
const ValueTable& ThreeLevelTable() {
  static const ValueTable table({"", "low|-1", "normal|0", "high|+1"}, Level);
  return table;
}

const ValueTable& ReversedThreeLevelTable() {
  static const ValueTable table({"", "high|+1", "normal|0", "low|-1"}, Level);
  return table;
}

const ValueTable& WhiteBalanceTable() {
  static const ValueTable table =
      WordTable({"", "auto", "daylight", "cloudy", "tungsten", "fluorescent", "flash", "custom",
                 "fluorescent H", "custom 1", "custom 2", "black and white|monochrome", "shade",
                 "colour temperature|color temperature|kelvin", "PC 1", "PC 2", "PC 3"});
  return table;
}

const ValueTable& OnOffTable() {
  static const ValueTable table = WordTable({"", "on", "off"});
  return table;
}

std::string Identity(const std::string& text) {
  return Trimmed(text);
}

} // namespace

ValueTable::ValueTable(std::vector<std::string> meanings,
                       std::string (*normalise)(const std::string&))
    : style_(Style::Coded), lowest_(meanings.front().empty() ? 1 : 0),
      highest_(static_cast<std::int32_t>(meanings.size()) - 1), meanings_(std::move(meanings)),
      normalise_(normalise) {}

ValueTable::ValueTable(Style style, std::int32_t lowest, std::int32_t highest)
    : style_(style), lowest_(lowest), highest_(highest), normalise_(Identity) {}

std::string ValueTable::Meaning(std::int32_t value) const {
  switch (style_) {
  case Style::Coded:
    if (value < 0 || value > highest_) {
      return {};
    }
    return meanings_[static_cast<std::size_t>(value)].substr(
        0, meanings_[static_cast<std::size_t>(value)].find('|'));
  case Style::Signed:
    return value > 0 ? "+" + std::to_string(value) : std::to_string(value);
  case Style::Boolean:
    return value != 0 ? "yes" : "no";
  case Style::Kelvin:
    return value > 0 ? std::to_string(value) + " K" : std::string();
  case Style::Plain:
    break;
  }
  return {};
}

std::string ValueTable::Show(std::int32_t value) const {
  // Public value 0 of a coded kind, and a Kelvin value of 0, are no setting
  // at all: a bare 0 would read as a level ("Contrast = 0") or a number.
  if (value == 0 && ((style_ == Style::Coded && lowest_ == 1) || style_ == Style::Kelvin)) {
    return "0 (no value)";
  }
  const std::string meaning = Meaning(value);
  return meaning.empty() || style_ == Style::Signed ? std::to_string(value)
                                                    : std::to_string(value) + " (" + meaning + ")";
}

std::optional<std::int32_t> ValueTable::FindMeaning(const std::string& text) const {
  const std::string wanted = normalise_(text);
  if (wanted.empty()) {
    return std::nullopt;
  }
  for (std::size_t value = 0; value < meanings_.size(); ++value) {
    std::string::size_type start = 0;
    const std::string& spellings = meanings_[value];
    while (start <= spellings.size() && !spellings.empty()) {
      const auto bar = spellings.find('|', start);
      const std::string spelling = spellings.substr(start, bar - start);
      if (!spelling.empty() && normalise_(spelling) == wanted) {
        return static_cast<std::int32_t>(value);
      }
      if (bar == std::string::npos) {
        break;
      }
      start = bar + 1;
    }
  }
  return std::nullopt;
}

std::optional<std::int32_t> ValueTable::Parse(const std::string& typed) const {
  const std::string text = Trimmed(typed);
  if (text.empty()) {
    return std::nullopt;
  }
  const auto inRange = [&](std::optional<std::int32_t> value) -> std::optional<std::int32_t> {
    if (value && *value >= lowest_ && *value <= highest_) {
      return value;
    }
    return std::nullopt;
  };
  if (!text.empty() && text[0] == '#') {
    return inRange(ParseInteger(text.substr(1)));
  }
  switch (style_) {
  case Style::Coded:
    break;
  case Style::Boolean: {
    const std::string word = Words(text);
    if (word == "yes" || word == "on" || word == "true" || word == "1") {
      return 1;
    }
    if (word == "no" || word == "off" || word == "false" || word == "0") {
      return 0;
    }
    return std::nullopt;
  }
  case Style::Kelvin:
    return inRange(ParseInteger(WithoutSuffix(Words(text), "k")));
  case Style::Signed:
  case Style::Plain:
    return inRange(ParseInteger(text[0] == '+' ? text.substr(1) : text));
  }

  const std::optional<std::int32_t> meant = FindMeaning(text);
  // A bare number is a public value; with a sign it is a compensation.
  const bool bare = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  const std::optional<std::int32_t> code = bare ? inRange(ParseInteger(text)) : std::nullopt;
  if (meant && code && *meant != *code) {
    throw ToolError(text + " could be " + Meaning(*meant) + " or value " + text + " (" +
                    Meaning(*code) + "): write " + Meaning(*meant) + " or #" + text);
  }
  return meant ? meant : code;
}

const ValueTable& RemoteParamValues(std::int32_t kind, CameraFamily family) {
  static const ValueTable drive =
      WordTable({"", "single", "continuous", "movie", "high-speed continuous",
                 "low-speed continuous", "self-timer 10 s|self-timer", "self-timer 2 s"});
  static const ValueTable imageMode = WordTable({"",
                                                 "auto",
                                                 "manual",
                                                 "landscape",
                                                 "fast shutter",
                                                 "slow shutter",
                                                 "night scene",
                                                 "greyscale|grayscale",
                                                 "sepia",
                                                 "portrait",
                                                 "sports",
                                                 "close-up|macro",
                                                 "black and white",
                                                 "pan focus",
                                                 "vivid",
                                                 "neutral",
                                                 "program AE|P",
                                                 "shutter priority|Tv",
                                                 "aperture priority|Av",
                                                 "automatic depth of field|A-DEP",
                                                 "depth of field|DEP",
                                                 "bulb",
                                                 "camera M",
                                                 "flash off",
                                                 "long shutter",
                                                 "super macro",
                                                 "foliage",
                                                 "indoor",
                                                 "fireworks",
                                                 "beach",
                                                 "underwater",
                                                 "snow",
                                                 "kids and pets",
                                                 "night snapshot",
                                                 "digital macro",
                                                 "my colours|my colors",
                                                 "movie"});
  static const ValueTable strobe =
      WordTable({"", "off", "auto", "on", "red-eye reduction", "slow synchro",
                 "auto with red-eye reduction", "on with red-eye reduction"});
  static const ValueTable metering =
      WordTable({"", "centre-weighted|center-weighted", "spot", "averaging", "evaluative",
                 "partial", "centre-weighted average|center-weighted average"});
  static const ValueTable afMode =
      WordTable({"", "one shot|one-shot", "AI servo|servo", "AI focus", "manual focus|MF"});
  static const ValueTable afDistance = WordTable(
      {"", "manual", "auto", "unknown", "close-up zone", "very close zone", "close zone",
       "middle zone", "far zone", "pan focus", "super macro", "infinity", "super macro 0 cm"});
  static const ValueTable afPoint =
      WordTable({"", "centre, fixed|center, fixed", "automatic (AiAF)|AiAF", "centre|center",
                 "left", "right", "top", "bottom"});
  static const ValueTable colourSpace = WordTable({"", "sRGB", "Adobe RGB"});
  static const ValueTable photoEffect =
      WordTable({"", "off", "vivid", "neutral", "soft", "sepia", "black and white|monochrome"});
  static const ValueTable kelvin(ValueTable::Style::Kelvin, 0, 100000);
  static const ValueTable flag(ValueTable::Style::Boolean, 0, 1);

  switch (kind) {
  case RemoteParamCompQuality:
  case RemoteParamCompQualityPic2RAW:
    return QualityTable();
  case RemoteParamImageSize:
  case RemoteParamImageSizePic2RAW:
    return SizeTable();
  case RemoteParamStrobeSetting:
    return strobe;
  case RemoteParamStrobeCompSetting:
  case RemoteParamExposureCompensation:
    return CompensationTable();
  case RemoteParamDriveMode:
    return drive;
  case RemoteParamImageMode:
    return imageMode;
  case RemoteParamMLWeiMode:
    return metering;
  case RemoteParamAFMode:
    return afMode;
  case RemoteParamAFDistance:
    return afDistance;
  case RemoteParamAFFocusingPoint:
    return afPoint;
  case RemoteParamAFAssistLight:
  case RemoteParamBeep:
    return OnOffTable();
  case RemoteParamWhiteBalanceSetting:
    return WhiteBalanceTable();
  case RemoteParamWhiteBalanceKelvin:
    return kelvin;
  case RemoteParamSharpness:
    return family == CameraFamily::CD ? ReversedThreeLevelTable() : ThreeLevelTable();
  case RemoteParamContrast:
  case RemoteParamColorGain:
    return ThreeLevelTable();
  case RemoteParamColorSpace:
    return colourSpace;
  case RemoteParamISO:
    return SensitivityTable();
  case RemoteParamAv:
    return ApertureTable();
  case RemoteParamTv:
    return ShutterSpeedTable();
  case RemoteParamPhotoEffect:
    return photoEffect;
  default:
    // The white-balance shift and the picture style: a single flag.
    return flag;
  }
}

const ValueTable& PictureStyleValues(std::int32_t field) {
  static const ValueTable flag(ValueTable::Style::Boolean, 0, 1);
  static const ValueTable level(ValueTable::Style::Signed, -128, 127);
  static const ValueTable sharpness(ValueTable::Style::Plain, 0, 255);
  static const ValueTable filter = WordTable({"none", "yellow", "orange", "red", "green"});
  static const ValueTable tone = WordTable({"none", "sepia", "blue", "violet", "green"});
  switch (field) {
  case RemoteParamPictureStyleContrast:
  case RemoteParamPictureStyleSaturation:
  case RemoteParamPictureStyleColorTone:
    return level;
  case RemoteParamPictureStyleSharpness:
    return sharpness;
  case RemoteParamPictureStyleMonochromeFilter:
    return filter;
  case RemoteParamPictureStyleMonochromeTone:
    return tone;
  default:
    return flag;
  }
}

const ValueTable& WhitebalanceShiftValues(std::int32_t field) {
  static const ValueTable flag(ValueTable::Style::Boolean, 0, 1);
  static const ValueTable level(ValueTable::Style::Signed, -128, 127);
  return field == RemoteParamWhitebalanceShiftWBShiftEnabled ? flag : level;
}

std::vector<std::int32_t> SupportedValues(const std::string& flags) {
  std::vector<std::int32_t> values;
  for (std::size_t value = 0; value < flags.size(); ++value) {
    if (flags[value] == '1') {
      values.push_back(static_cast<std::int32_t>(value));
    }
  }
  return values;
}

std::string ListMeanings(const ValueTable& table, const std::vector<std::int32_t>& values) {
  std::string list;
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (index > 0) {
      list += index + 1 == values.size() ? " and " : ", ";
    }
    const std::string meaning = table.Meaning(values[index]);
    list += meaning.empty() ? "#" + std::to_string(values[index]) : meaning;
  }
  return list;
}

} // namespace vostrel::tools
