// The meanings the host shows follow from what each family's camera does
// with a public value: the backends' conversions are asked for the code of
// every value, and wherever a code says by itself what it does (a level
// -1, 0 or +1, on or off, a compensation in eighths of a stop, a step of the
// shared aperture, shutter-speed and sensitivity scales) it must agree with
// the meaning the host's table gives the value on that family.

#include "core/CamLib.h"
#include "eos/EOSParamTables.h"
#include "powershot_cd/CDParamTables.h"
#include "powershot_pr/PRParamTables.h"
#include "tools/ParamValues.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vostrel::tools {
namespace {

// The backend code of a public value; nullopt when the family has none.
using CodeOf = std::function<std::optional<std::int32_t>(std::uint8_t value)>;

std::int32_t SignedByte(std::uint32_t code) {
  return static_cast<std::int8_t>(static_cast<std::uint8_t>(code));
}

// "low", "normal", "high" as the levels -1, 0, +1.
std::optional<std::int32_t> LevelOf(const std::string& meaning) {
  if (meaning == "low") {
    return -1;
  }
  if (meaning == "normal") {
    return 0;
  }
  if (meaning == "high") {
    return 1;
  }
  return std::nullopt;
}

TEST(ParamMeanings, LevelsAreTheLevelsTheBackendsSend) {
  struct Case {
    CameraFamily Family;
    std::int32_t Kind;
    CodeOf Code;
  };
  const auto pr = [](std::uint8_t value) -> std::optional<std::int32_t> {
    return SignedByte(pr::ThreeLevelTable.ToPRValue(value));
  };
  const auto cdContrast = [](std::uint8_t value) -> std::optional<std::int32_t> {
    return SignedByte(cd::ContrastTable.ToCode(value));
  };
  const auto cdSharpness = [](std::uint8_t value) -> std::optional<std::int32_t> {
    return SignedByte(cd::SharpnessTable.ToCode(value));
  };
  for (const Case& check : {Case{CameraFamily::PR, RemoteParamContrast, pr},
                            Case{CameraFamily::PR, RemoteParamColorGain, pr},
                            Case{CameraFamily::PR, RemoteParamSharpness, pr},
                            Case{CameraFamily::CD, RemoteParamContrast, cdContrast},
                            Case{CameraFamily::CD, RemoteParamColorGain, cdContrast},
                            Case{CameraFamily::CD, RemoteParamSharpness, cdSharpness}}) {
    const ValueTable& table = RemoteParamValues(check.Kind, check.Family);
    for (std::uint8_t value = 1; value <= 3; ++value) {
      EXPECT_EQ(LevelOf(table.Meaning(value)), check.Code(value))
          << "kind " << check.Kind << " value " << int{value} << " on family "
          << static_cast<int>(check.Family);
    }
  }
}

TEST(ParamMeanings, OnAndOffAreTheCodesOneAndZero) {
  struct Case {
    CameraFamily Family;
    std::int32_t Kind;
    CodeOf Code;
  };
  for (const Case& check :
       {Case{CameraFamily::PR, RemoteParamBeep,
             [](std::uint8_t value) -> std::optional<std::int32_t> {
               return static_cast<std::int32_t>(pr::BeepTable.ToPRValue(value));
             }},
        Case{CameraFamily::PR, RemoteParamAFAssistLight,
             [](std::uint8_t value) -> std::optional<std::int32_t> {
               return static_cast<std::int32_t>(pr::AFAssistLightTable.ToPRValue(value));
             }},
        Case{CameraFamily::CD, RemoteParamBeep,
             [](std::uint8_t value) -> std::optional<std::int32_t> {
               return static_cast<std::int32_t>(cd::BeepTable.ToCode(value));
             }}}) {
    const ValueTable& table = RemoteParamValues(check.Kind, check.Family);
    EXPECT_EQ(table.Meaning(1), "on");
    EXPECT_EQ(check.Code(1), 1) << "kind " << check.Kind;
    EXPECT_EQ(table.Meaning(2), "off");
    EXPECT_EQ(check.Code(2), 0) << "kind " << check.Kind;
  }
}

// "+1 2/3 EV" as 5 thirds of a stop, "-1/3 EV" as -1, "0 EV" as 0.
std::int32_t ThirdsOf(const std::string& meaning) {
  const int sign = meaning[0] == '-' ? -1 : 1;
  std::string text = meaning.substr(meaning[0] == '-' || meaning[0] == '+' ? 1 : 0);
  text = text.substr(0, text.find(" EV"));
  std::int32_t thirds = 0;
  const auto slash = text.find('/');
  if (slash == std::string::npos) {
    thirds = 3 * std::stoi(text);
  } else {
    const auto space = text.find(' ');
    if (space != std::string::npos) {
      thirds = 3 * std::stoi(text.substr(0, space));
    }
    thirds += std::stoi(text.substr(space == std::string::npos ? 0 : space + 1));
  }
  return sign * thirds;
}

// The EOS codes are signed eighths of a stop (a third is 3, two thirds 5);
// the PowerShot codes lie as many eighths from 24, their code for none.
TEST(ParamMeanings, CompensationsAreTheStopsTheCodesStandFor) {
  const auto thirdsOfEighths = [](std::int32_t eighths) {
    return static_cast<std::int32_t>(std::lround(eighths * 3.0 / 8.0));
  };
  for (const std::int32_t kind : {RemoteParamExposureCompensation, RemoteParamStrobeCompSetting}) {
    for (std::uint8_t value = 1; value <= 13; ++value) {
      SCOPED_TRACE("kind " + std::to_string(kind) + " value " + std::to_string(value));
      const std::int32_t eos = thirdsOfEighths(
          SignedByte(static_cast<std::uint32_t>(eos::ExposureCompensationTable.ToCode(value))));
      const std::int32_t pr = thirdsOfEighths(
          static_cast<std::int32_t>(pr::ExposureCompensationTable.ToPRValue(value)) - 24);
      const std::int32_t cd =
          thirdsOfEighths(static_cast<std::int32_t>(cd::CompensationTable.ToCode(value)) - 24);
      const std::int32_t meant =
          ThirdsOf(RemoteParamValues(kind, CameraFamily::EOS).Meaning(value));
      if (kind == RemoteParamExposureCompensation) {
        EXPECT_EQ(eos, meant);
      }
      for (const CameraFamily family : {CameraFamily::PR, CameraFamily::CD}) {
        EXPECT_EQ(ThirdsOf(RemoteParamValues(kind, family).Meaning(value)), meant);
      }
      EXPECT_EQ(std::abs(pr), std::abs(meant));
      EXPECT_EQ(std::abs(cd), std::abs(meant));
    }
  }
}

// The number a meaning names: "f/5.6" 5.6, "30 s" 30, "1/125" 0.008,
// "ISO 400" 400.
double NumberOf(const std::string& meaning) {
  std::string text = meaning;
  for (const std::string& prefix : {std::string("f/"), std::string("ISO ")}) {
    if (text.rfind(prefix, 0) == 0) {
      text.erase(0, prefix.size());
    }
  }
  const auto slash = text.find('/');
  if (slash != std::string::npos) {
    return std::stod(text.substr(0, slash)) / std::stod(text.substr(slash + 1));
  }
  return std::stod(text);
}

// Within a sixth of a stop of the scale's exact value: nominal numbers are
// rounded ("f/5.6" is 5.66), a value one step off is a third of a stop off.
void ExpectNominal(double nominal, double exact, const std::string& what) {
  EXPECT_LT(std::fabs(std::log2(nominal / exact)), 1.0 / 6.0)
      << what << ": " << nominal << " against " << exact;
}

TEST(ParamMeanings, TheSharedScalesAreTheApertureShutterSpeedAndSensitivityShown) {
  for (const CameraFamily family : {CameraFamily::EOS, CameraFamily::PR, CameraFamily::CD}) {
    // Aperture: code 8 is f/1.0, 16 codes are a doubling of the f-number.
    const ValueTable& av = RemoteParamValues(RemoteParamAv, family);
    for (std::uint8_t value = 1; value <= 40; ++value) {
      const std::uint32_t code = CamLib::ApertureValueToCode(value);
      EXPECT_EQ(static_cast<std::uint32_t>(eos::ApertureScale.ToCode(value)), code);
      EXPECT_EQ(pr::ApertureScale.ToPRValue(value), code);
      EXPECT_EQ(cd::ApertureScale.ToCode(value), code);
      ExpectNominal(NumberOf(av.Meaning(value)),
                    std::pow(2.0, (static_cast<double>(code) - 8) / 16.0), av.Meaning(value));
    }
    // Shutter speed: value 1 is bulb; code 56 is one second, 8 codes a stop.
    const ValueTable& tv = RemoteParamValues(RemoteParamTv, family);
    EXPECT_EQ(tv.Meaning(1), "bulb");
    for (std::uint8_t value = 2; value <= 59; ++value) {
      const std::uint32_t code = CamLib::ShutterSpeedValueToCode(value);
      EXPECT_EQ(static_cast<std::uint32_t>(eos::ShutterSpeedScale.ToCode(value)), code);
      EXPECT_EQ(pr::ShutterSpeedScale.ToPRValue(value), code);
      EXPECT_EQ(cd::ShutterSpeedScale.ToCode(value), code);
      ExpectNominal(NumberOf(tv.Meaning(value)),
                    std::pow(2.0, -(static_cast<double>(code) - 56) / 8.0), tv.Meaning(value));
    }
    // Sensitivity: value 1 is auto (code 0); code 72 is ISO 100, 8 codes a
    // stop. The PR cameras have a table of their own with the same codes.
    const ValueTable& iso = RemoteParamValues(RemoteParamISO, family);
    EXPECT_EQ(iso.Meaning(1), "auto");
    EXPECT_EQ(CamLib::SensitivityValueToCode(1), 0U);
    EXPECT_EQ(pr::ISOTable.ToPRValue(1), 0U);
    for (std::uint8_t value = 2; value <= 20; ++value) {
      const std::uint32_t code = CamLib::SensitivityValueToCode(value);
      EXPECT_EQ(pr::ISOTable.ToPRValue(value), code);
      ExpectNominal(NumberOf(iso.Meaning(value)),
                    100.0 * std::pow(2.0, (static_cast<double>(code) - 72) / 8.0),
                    iso.Meaning(value));
    }
  }
}

// Every value a backend reports or sends has a place and a meaning in the
// host's table of that family: a value shown as a bare number tells a
// photographer nothing.
TEST(ParamMeanings, EveryValueABackendKnowsHasAMeaning) {
  std::size_t checked = 0;
  const auto named = [&](std::int32_t kind, CameraFamily family, const auto& rows) {
    const ValueTable& table = RemoteParamValues(kind, family);
    for (const auto& row : rows) {
      EXPECT_LE(row.Value, table.Highest())
          << "kind " << kind << " family " << static_cast<int>(family);
      EXPECT_NE(table.Meaning(row.Value), "") << "kind " << kind << " value " << int{row.Value}
                                              << " family " << static_cast<int>(family);
      ++checked;
    }
  };
  named(RemoteParamCompQuality, CameraFamily::EOS, eos::CompQualityRows);
  named(RemoteParamImageSize, CameraFamily::EOS, eos::ImageSizeRows);
  named(RemoteParamImageMode, CameraFamily::EOS, eos::ImageModeRows);
  named(RemoteParamDriveMode, CameraFamily::EOS, eos::DriveModeRows);
  named(RemoteParamMLWeiMode, CameraFamily::EOS, eos::MeteringModeRows);
  named(RemoteParamAFMode, CameraFamily::EOS, eos::AFModeRows);
  named(RemoteParamWhiteBalanceSetting, CameraFamily::EOS, eos::WhiteBalanceRows);
  named(RemoteParamColorSpace, CameraFamily::EOS, eos::ColorSpaceRows);
  named(RemoteParamPhotoEffect, CameraFamily::EOS, eos::PhotoEffectRows);

  named(RemoteParamCompQuality, CameraFamily::PR, pr::QualityRows);
  named(RemoteParamImageSize, CameraFamily::PR, pr::ImageSizeRows);
  named(RemoteParamImageMode, CameraFamily::PR, pr::ShootingModeRows);
  named(RemoteParamDriveMode, CameraFamily::PR, pr::DriveModeRows);
  named(RemoteParamDriveMode, CameraFamily::PR, pr::DriveModeSettingRows);
  named(RemoteParamWhiteBalanceSetting, CameraFamily::PR, pr::WhiteBalanceRows);
  named(RemoteParamWhiteBalanceSetting, CameraFamily::PR, pr::WhiteBalanceReadOnlyRows);
  named(RemoteParamAFDistance, CameraFamily::PR, pr::AFDistanceRows);
  named(RemoteParamAFFocusingPoint, CameraFamily::PR, pr::AFFocusingPointRows);
  named(RemoteParamAFAssistLight, CameraFamily::PR, pr::AFAssistLightRows);
  named(RemoteParamStrobeSetting, CameraFamily::PR, pr::StrobeRows);
  named(RemoteParamMLWeiMode, CameraFamily::PR, pr::MeteringRows);
  named(RemoteParamPhotoEffect, CameraFamily::PR, pr::PhotoEffectRows);
  named(RemoteParamBeep, CameraFamily::PR, pr::BeepRows);

  named(RemoteParamCompQuality, CameraFamily::CD, cd::QualityRows);
  named(RemoteParamImageSize, CameraFamily::CD, cd::ImageSizeRows);
  named(RemoteParamImageMode, CameraFamily::CD, cd::ImageModeRows);
  named(RemoteParamWhiteBalanceSetting, CameraFamily::CD, cd::WhiteBalanceRows);
  named(RemoteParamAFDistance, CameraFamily::CD, cd::AFDistanceRows);
  named(RemoteParamStrobeSetting, CameraFamily::CD, cd::FlashModeRows);
  named(RemoteParamMLWeiMode, CameraFamily::CD, cd::MeteringRows);
  named(RemoteParamPhotoEffect, CameraFamily::CD, cd::PhotoEffectRows);
  named(RemoteParamBeep, CameraFamily::CD, cd::BeepRows);
  EXPECT_GE(checked, 200U);
}

} // namespace
} // namespace vostrel::tools
