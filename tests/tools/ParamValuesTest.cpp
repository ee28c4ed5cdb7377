// The tables of what public parameter values mean: every meaning reads back
// as its value, the spellings photographers use are understood, and a number
// that could be either a meaning or a public value is refused.

#include "tools/ParamValues.h"
#include "core/CamDefines.h"
#include "tools/ToolError.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace vostrel::tools {
namespace {

constexpr CameraFamily Families[] = {CameraFamily::EOS, CameraFamily::PR, CameraFamily::CD};

// The tables that every family shares.
const ValueTable& Values(std::int32_t kind) {
  return RemoteParamValues(kind, CameraFamily::EOS);
}

TEST(ParamValues, EveryMeaningReadsBackAsItsValue) {
  for (const CameraFamily family : Families) {
    for (std::int32_t kind = RemoteParamCompQuality; kind <= RemoteParamBeep; ++kind) {
      const ValueTable& table = RemoteParamValues(kind, family);
      for (std::int32_t value = 1; value <= table.Highest() && value < 100; ++value) {
        const std::string meaning = table.Meaning(value);
        if (meaning.empty() || table.ValueStyle() != ValueTable::Style::Coded) {
          continue;
        }
        EXPECT_EQ(table.Parse(meaning), value) << "kind " << kind << ": " << meaning;
        EXPECT_EQ(table.Parse("#" + std::to_string(value)), value) << "kind " << kind;
      }
    }
  }
}

TEST(ParamValues, TheThreeShootingScalesFollowTheCameraCodes) {
  // Code 8 + 8 stops: value 1 is f/1.0, three values make one stop.
  const ValueTable& av = Values(RemoteParamAv);
  EXPECT_EQ(av.Highest(), 40);
  EXPECT_EQ(av.Meaning(1), "f/1.0");
  EXPECT_EQ(av.Meaning(13), "f/4");
  EXPECT_EQ(av.Meaning(16), "f/5.6");
  EXPECT_EQ(av.Meaning(40), "f/91");
  EXPECT_EQ(av.Show(16), "16 (f/5.6)");
  // Value 1 is bulb, value 2 (code 16) 30 seconds, value 17 (code 56) one second.
  const ValueTable& tv = Values(RemoteParamTv);
  EXPECT_EQ(tv.Highest(), 59);
  EXPECT_EQ(tv.Meaning(1), "bulb");
  EXPECT_EQ(tv.Meaning(2), "30 s");
  EXPECT_EQ(tv.Meaning(17), "1 s");
  EXPECT_EQ(tv.Meaning(38), "1/125");
  EXPECT_EQ(tv.Meaning(59), "1/16000");
  // Value 1 is auto, value 5 (code 72) ISO 100.
  const ValueTable& iso = Values(RemoteParamISO);
  EXPECT_EQ(iso.Highest(), 20);
  EXPECT_EQ(iso.Meaning(1), "auto");
  EXPECT_EQ(iso.Meaning(5), "ISO 100");
  EXPECT_EQ(iso.Meaning(20), "ISO 3200");
  // No value.
  EXPECT_EQ(av.Meaning(0), "");
  EXPECT_EQ(av.Show(0), "0 (no value)");
  EXPECT_EQ(Values(RemoteParamContrast).Show(0), "0 (no value)") << "not the level 0";
  EXPECT_EQ(Values(RemoteParamWhiteBalanceKelvin).Show(0), "0 (no value)");
  EXPECT_EQ(PictureStyleValues(RemoteParamPictureStyleContrast).Show(0), "0") << "the level 0";
  EXPECT_EQ(PictureStyleValues(RemoteParamPictureStyleMonochromeFilter).Show(0), "0 (none)");
  EXPECT_EQ(av.Show(77), "77");
}

TEST(ParamValues, ReadsTheFormsPhotographersWrite) {
  const ValueTable& av = Values(RemoteParamAv);
  EXPECT_EQ(av.Parse("5.6"), 16);
  EXPECT_EQ(av.Parse("f/5.6"), 16);
  EXPECT_EQ(av.Parse("F5.6"), 16);
  EXPECT_EQ(av.Parse("f/8"), 19);
  EXPECT_EQ(av.Parse("5.9"), std::nullopt);
  EXPECT_EQ(av.Parse(""), std::nullopt);
  EXPECT_EQ(av.Parse("#0"), std::nullopt) << "0 means no value";
  EXPECT_EQ(av.Parse("#41"), std::nullopt);

  const ValueTable& tv = Values(RemoteParamTv);
  EXPECT_EQ(tv.Parse("1/125"), 38);
  EXPECT_EQ(tv.Parse("30s"), 2);
  EXPECT_EQ(tv.Parse("30\""), 2);
  EXPECT_EQ(tv.Parse("0.8"), 18);
  EXPECT_EQ(tv.Parse("Bulb"), 1);
  EXPECT_EQ(tv.Parse("45"), 45) << "no shutter speed of 45 seconds: the public value";

  const ValueTable& iso = Values(RemoteParamISO);
  EXPECT_EQ(iso.Parse("400"), 11);
  EXPECT_EQ(iso.Parse("ISO 400"), 11);
  EXPECT_EQ(iso.Parse("iso400"), 11);
  EXPECT_EQ(iso.Parse("5"), 5);
  EXPECT_EQ(iso.Parse("Auto"), 1);

  const ValueTable& compensation = Values(RemoteParamExposureCompensation);
  EXPECT_EQ(compensation.Parse("-2/3"), 9);
  EXPECT_EQ(compensation.Parse("+2/3"), 5);
  EXPECT_EQ(compensation.Parse("2/3 EV"), 5);
  EXPECT_EQ(compensation.Parse("-1 1/3"), 11);
  EXPECT_EQ(compensation.Parse("-1.3"), 11);
  EXPECT_EQ(compensation.Parse("+0.7"), 5);
  EXPECT_EQ(compensation.Parse("0"), 7);
  EXPECT_EQ(compensation.Parse("-2"), 13);
  EXPECT_EQ(compensation.Parse("-3"), std::nullopt);
  EXPECT_EQ(compensation.Meaning(9), "-2/3 EV");
  // The flash compensation has the same scale.
  EXPECT_EQ(Values(RemoteParamStrobeCompSetting).Parse("+1"), 4);

  const ValueTable& balance = Values(RemoteParamWhiteBalanceSetting);
  EXPECT_EQ(balance.Parse("Daylight"), 2);
  EXPECT_EQ(balance.Parse("colour temperature"), 13);
  EXPECT_EQ(balance.Parse("color-temperature"), 13);
  EXPECT_EQ(balance.Parse("kelvin"), 13);
  EXPECT_EQ(balance.Parse("13"), 13);
  EXPECT_EQ(balance.Parse("sunny"), std::nullopt);
  EXPECT_EQ(balance.Parse("Custom 1"), 9);
  EXPECT_EQ(balance.Meaning(17), "") << "beyond the kind's values";
}

TEST(ParamValues, ANumberThatIsBothAMeaningAndAnotherValueIsRefused) {
  const ValueTable& av = Values(RemoteParamAv);
  try {
    av.Parse("8");
    FAIL() << "8 is f/8 and value 8";
  } catch (const ToolError& error) {
    EXPECT_STREQ(error.what(), "8 could be f/8 or value 8 (f/2.2): write f/8 or #8");
  }
  EXPECT_THROW(Values(RemoteParamTv).Parse("30"), ToolError);
  EXPECT_THROW(Values(RemoteParamExposureCompensation).Parse("1"), ToolError);
  EXPECT_EQ(av.Parse("#8"), 8);
}

// Contrast, colour gain and sharpness are levels: -1 is low everywhere, but
// the CD cameras number their sharpness from high to low. A bare 1 could be
// the level +1 or the public value 1, which are different settings except
// for the CD sharpness.
TEST(ParamValues, LevelsFollowTheFamilyAndASignlessOneIsAmbiguous) {
  for (const CameraFamily family : Families) {
    for (const std::int32_t kind :
         {RemoteParamContrast, RemoteParamColorGain, RemoteParamSharpness}) {
      const bool reversed = family == CameraFamily::CD && kind == RemoteParamSharpness;
      const ValueTable& table = RemoteParamValues(kind, family);
      const std::int32_t low = reversed ? 3 : 1;
      const std::int32_t high = reversed ? 1 : 3;
      SCOPED_TRACE("kind " + std::to_string(kind) + (reversed ? ", reversed" : ""));
      EXPECT_EQ(table.Meaning(low), "low");
      EXPECT_EQ(table.Meaning(2), "normal");
      EXPECT_EQ(table.Meaning(high), "high");
      EXPECT_EQ(table.Parse("-1"), low);
      EXPECT_EQ(table.Parse("+1"), high);
      EXPECT_EQ(table.Parse("0"), 2);
      EXPECT_EQ(table.Parse("High"), high);
      EXPECT_EQ(table.Parse("#1"), 1);
      if (reversed) {
        EXPECT_EQ(table.Parse("1"), 1) << "both readings are the highest sharpness";
      } else {
        try {
          table.Parse("1");
          ADD_FAILURE() << "1 is the level +1 and the public value 1";
        } catch (const ToolError& error) {
          EXPECT_STREQ(error.what(), "1 could be high or value 1 (low): write high or #1");
        }
      }
    }
  }
  // Hyphens between words still do not count.
  EXPECT_EQ(Values(RemoteParamDriveMode).Parse("self timer"), 6);
  EXPECT_EQ(Values(RemoteParamDriveMode).Parse("High-Speed Continuous"), 4);
}

TEST(ParamValues, GroupFieldsAreNumbersFlagsAndNamedFilters) {
  const ValueTable& contrast = PictureStyleValues(RemoteParamPictureStyleContrast);
  EXPECT_EQ(contrast.Parse("-3"), -3);
  EXPECT_EQ(contrast.Parse("+2"), 2);
  EXPECT_EQ(contrast.Show(-3), "-3");
  EXPECT_EQ(contrast.Parse("200"), std::nullopt);
  const ValueTable& used = PictureStyleValues(RemoteParamPictureStyleSaturationUsed);
  EXPECT_EQ(used.Parse("yes"), 1);
  EXPECT_EQ(used.Parse("off"), 0);
  EXPECT_EQ(used.Show(1), "1 (yes)");
  const ValueTable& filter = PictureStyleValues(RemoteParamPictureStyleMonochromeFilter);
  EXPECT_EQ(filter.Parse("orange"), MonochromeFilterOrange);
  EXPECT_EQ(filter.Parse("none"), MonochromeFilterNone);
  EXPECT_EQ(PictureStyleValues(RemoteParamPictureStyleMonochromeTone).Meaning(MonochromeToneSepia),
            "sepia");
  const ValueTable& kelvin = Values(RemoteParamWhiteBalanceKelvin);
  EXPECT_EQ(kelvin.Parse("5200K"), 5200);
  EXPECT_EQ(kelvin.Parse("5200 k"), 5200);
  EXPECT_EQ(kelvin.Show(5200), "5200 (5200 K)");
  EXPECT_EQ(WhitebalanceShiftValues(RemoteParamWhitebalanceShiftAmberBlue).Parse("-9"), -9);
}

TEST(ParamValues, SupportedRowsAndListsForMessages) {
  EXPECT_EQ(SupportedValues("0110"), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(SupportedValues(""), std::vector<std::int32_t>{});
  const ValueTable& balance = Values(RemoteParamWhiteBalanceSetting);
  EXPECT_EQ(ListMeanings(balance, {1, 2, 17, 13}), "auto, daylight, #17 and colour temperature");
  EXPECT_EQ(ListMeanings(balance, {2}), "daylight");
}

} // namespace
} // namespace vostrel::tools
