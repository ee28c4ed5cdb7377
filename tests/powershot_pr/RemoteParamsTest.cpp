// The shooting parameters of a PR camera through the controller: which
// properties are read and written in which order, the conversions in both
// directions, and failures that are swallowed.

#include "SimulatedPR.h"

#include "core/VostrelTestAccess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t Busy = 0x00FF2019;

class PRRemoteParams : public SimulatedPR {
protected:
  // A connected camera with these property changes, in remote mode.
  void UseCamera(const nlohmann::json& properties = nlohmann::json::object()) {
    UseScenario({PRCameraSpec{.properties = properties}});
    ConnectFirstCamera();
    TVostrelTestAccess::SetRemoteMode(*controller, true);
  }

  RemoteParamsType Read() {
    RemoteParamsType params{};
    controller->RemoteGetRemoteParams(params);
    return params;
  }

  // The properties read, as "D008".
  static std::vector<std::string> Reads() {
    static const std::regex read(R"(^PR_GetDevicePropValue\(camera#, 0x0000([0-9A-F]{4}), )");
    return Matches(read, "$1");
  }

  // The properties written with their bytes, as "D008=07".
  static std::vector<std::string> Writes() {
    static const std::regex write(
        R"(^PR_SetDevicePropValue\(camera#, 0x0000([0-9A-F]{4}), [0-9]+, ([0-9A-F]*)\))");
    return Matches(write, "$1=$2");
  }

private:
  static std::vector<std::string> Matches(const std::regex& pattern, const char* format) {
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      std::smatch match;
      if (std::regex_search(call, match, pattern)) {
        found.push_back(match.format(format));
      }
    }
    return found;
  }
};

// ---------------------------------------------------------------------------
// Reading

TEST_F(PRRemoteParams, ReadsEveryPropertyInOrderAndConvertsItsValue) {
  UseCamera({{"ImageSize", 7},     {"ImageFormat", 1},
             {"Quality", 5},       {"ShootingMode", 4},
             {"DriveMode", 5},     {"Av", 0x28},
             {"Tv", 0x60},         {"ExposureCompensation", 16},
             {"WhiteBalance", 14}, {"AFDistance", 7},
             {"AFPoint", 0x3004},  {"AFAssistLight", 0},
             {"Strobe", 6},        {"StrobeCompensation", 40},
             {"Metering", 5},      {"ISO", 0x70},
             {"Contrast", -1},     {"ColorGain", 1},
             {"Sharpness", 0},     {"PhotoEffect", 5},
             {"Beep", 0}});

  const RemoteParamsType params = Read();
  EXPECT_EQ(params.ImageSize, 6);
  EXPECT_EQ(params.CompQuality, 4);
  EXPECT_EQ(params.ImageMode, 2);
  EXPECT_EQ(params.DriveMode, 4);
  EXPECT_EQ(params.Av, 13);
  EXPECT_EQ(params.Tv, 32);
  EXPECT_EQ(params.ExposureCompensation, 4);
  EXPECT_EQ(params.WhiteBalanceSetting, 7); // PR 14 reads as PR 7
  EXPECT_EQ(params.AFDistance, 8);
  EXPECT_EQ(params.AFFocusingPoint, 7);
  EXPECT_EQ(params.AFAssistLight, 2);
  EXPECT_EQ(params.StrobeSetting, 7);
  EXPECT_EQ(params.StrobeCompSetting, 13);
  EXPECT_EQ(params.MLWeiMode, 6);
  EXPECT_EQ(params.ISO, 20);
  EXPECT_EQ(params.Contrast, 1);
  EXPECT_EQ(params.ColorGain, 3);
  EXPECT_EQ(params.Sharpness, 2);
  EXPECT_EQ(params.PhotoEffect, 6);
  EXPECT_EQ(params.Beep, 2);
  // No PR property stands behind these.
  EXPECT_EQ(params.CompQualityPic2RAW, 0);
  EXPECT_EQ(params.ImageSizePic2RAW, 0);
  EXPECT_EQ(params.AFMode, 0);
  EXPECT_EQ(params.ColorSpace, 0);
  EXPECT_EQ(params.WhiteBalanceKelvin, 0);
  EXPECT_EQ(params.WBShiftEnabled, 0);
  EXPECT_EQ(params.PictureStyleEnabled, 0);

  EXPECT_THAT(Reads(), ElementsAre("D008", "D007", "D006", "D00C", "D00E", "D01D", "D01E", "D01F",
                                   "D013", "D011", "D012", "D041", "D00A", "D020", "D010", "D01C",
                                   "D017", "D018", "D019", "D040", "D00B"));
  EXPECT_THAT(Writes(), IsEmpty());
}

TEST_F(PRRemoteParams, TheRAWFormatSelectorGivesQuality5WithoutReadingTheQuality) {
  UseCamera({{"ImageFormat", 2}, {"Quality", 1}});
  EXPECT_EQ(Read().CompQuality, 5);
  const std::vector<std::string> reads = Reads();
  EXPECT_EQ(std::count(reads.begin(), reads.end(), "D006"), 0);

  // A format selector that cannot be read leaves the quality to decide.
  UseCamera({{"ImageFormat", nullptr}, {"Quality", 1}});
  EXPECT_EQ(Read().CompQuality, 1);
}

TEST_F(PRRemoteParams, ApertureAndShutterSpeedAreReadOnlyInTheModesThatTakeThem) {
  struct Case {
    int shootingMode; // PR value
    std::uint8_t imageMode;
    bool av;
    bool tv;
  };
  for (const Case& c : {Case{4, 2, true, true}, Case{3, 18, true, false}, Case{2, 17, false, true},
                        Case{1, 16, false, false}}) {
    UseCamera({{"ShootingMode", c.shootingMode}, {"Av", 0x28}, {"Tv", 0x60}});
    const RemoteParamsType params = Read();
    EXPECT_EQ(params.ImageMode, c.imageMode);
    EXPECT_EQ(params.Av != 0, c.av) << c.shootingMode;
    EXPECT_EQ(params.Tv != 0, c.tv) << c.shootingMode;
    const std::vector<std::string> reads = Reads();
    EXPECT_EQ(std::count(reads.begin(), reads.end(), "D01D"), c.av ? 1 : 0);
    EXPECT_EQ(std::count(reads.begin(), reads.end(), "D01E"), c.tv ? 1 : 0);
  }
}

TEST_F(PRRemoteParams, DriveMode2IsResolvedThroughItsSetting) {
  for (const auto& [setting, value] :
       std::vector<std::pair<int, std::uint8_t>>{{100, 6}, {20, 7}, {50, 0}}) {
    UseCamera({{"DriveMode", 2}, {"DriveModeSetting", setting}});
    EXPECT_EQ(Read().DriveMode, value) << setting;
  }
  // A setting that cannot be read gives no drive mode either.
  UseCamera({{"DriveMode", 2}, {"DriveModeSetting", nullptr}});
  EXPECT_EQ(Read().DriveMode, 0);
  // Other drive modes do not look at the setting.
  UseCamera({{"DriveMode", 1}});
  EXPECT_EQ(Read().DriveMode, 2);
  const std::vector<std::string> reads = Reads();
  EXPECT_EQ(std::count(reads.begin(), reads.end(), "D009"), 0);
}

TEST_F(PRRemoteParams, ValuesOutsideTheTablesReadAsNoValue) {
  // 16-bit values are compared whole: 0x140 is no ISO 0x40.
  UseCamera({{"ImageSize", 4},
             {"Quality", 9},
             {"ISO", 0x140},
             {"AFPoint", 0x2000},
             {"Contrast", 2},
             {"WhiteBalance", 5},
             {"ShootingMode", 131}});
  const RemoteParamsType params = Read();
  EXPECT_EQ(params.ImageSize, 0);
  EXPECT_EQ(params.CompQuality, 0);
  EXPECT_EQ(params.ISO, 0);
  EXPECT_EQ(params.AFFocusingPoint, 0);
  EXPECT_EQ(params.Contrast, 0);
  EXPECT_EQ(params.WhiteBalanceSetting, 0);
  EXPECT_EQ(params.ImageMode, 0);
}

TEST_F(PRRemoteParams, FailedReadsLeaveTheirFieldsZeroAndRaiseNothing) {
  UseCamera({{"ImageSize", 0}, {"Beep", nullptr}});
  FailCall("PR_GetDevicePropValue", Busy); // the image size
  RemoteParamsType params;
  EXPECT_EQ(MessageOf([&] { controller->RemoteGetRemoteParams(params); }), "");
  EXPECT_EQ(params.ImageSize, 0);
  EXPECT_EQ(params.Beep, 0);          // the camera lacks it
  EXPECT_EQ(params.CompQuality, 3);   // the default camera's fine quality
  EXPECT_EQ(params.AFAssistLight, 1); // later reads go on
}

// ---------------------------------------------------------------------------
// Writing

TEST_F(PRRemoteParams, ARecordOfZerosMakesNoCall) {
  UseCamera();
  controller->RemoteSetRemoteParams(RemoteParamsType{});
  EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(PRRemoteParams, WritesEveryFieldInOrderWithItsWidth) {
  UseCamera();
  RemoteParamsType params{};
  params.ImageSize = 6;
  params.CompQuality = 3;
  params.ImageMode = 2;
  params.DriveMode = 4;
  params.Av = 13;
  params.Tv = 32;
  params.ExposureCompensation = 4;
  params.WhiteBalanceSetting = 7;
  params.AFDistance = 8;
  params.AFFocusingPoint = 7;
  params.AFAssistLight = 1;
  params.StrobeSetting = 7;
  params.StrobeCompSetting = 13;
  params.MLWeiMode = 6;
  params.ISO = 20;
  params.Contrast = 1;
  params.ColorGain = 3;
  params.Sharpness = 2;
  params.PhotoEffect = 6;
  params.Beep = 2;
  // Without a PR property: not written.
  params.CompQualityPic2RAW = 2;
  params.AFMode = 1;
  params.ColorSpace = 1;
  params.WhiteBalanceKelvin = 5200;
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(),
              ElementsAre("D008=07", "D007=01", "D006=03", "D00C=04", "D00E=05", "D01D=2800",
                          "D01E=6000", "D01F=10", "D013=07", "D011=07", "D012=0430", "D041=0100",
                          "D00A=06", "D020=28", "D010=05", "D01C=7000", "D017=FF", "D018=01",
                          "D019=00", "D040=0500", "D00B=00"));
  EXPECT_THAT(Reads(), IsEmpty());
}

TEST_F(PRRemoteParams, QualityWritesTheFormatSelectorFirst) {
  UseCamera();
  RemoteParamsType params{};
  params.CompQuality = 5;
  controller->RemoteSetRemoteParams(params);
  params.CompQuality = 9;
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(), ElementsAre("D007=02", "D006=04", "D007=01", "D006=FF"));
}

TEST_F(PRRemoteParams, ApertureAndShutterSpeedFollowTheRecordsImageMode) {
  UseCamera();
  RemoteParamsType params{};
  params.Av = 13;
  params.Tv = 32;
  controller->RemoteSetRemoteParams(params); // image mode 0: neither
  params.ImageMode = 18;
  controller->RemoteSetRemoteParams(params);
  params.ImageMode = 17;
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(), ElementsAre("D00C=03", "D01D=2800", "D00C=02", "D01E=6000"));
}

TEST_F(PRRemoteParams, CodesWithoutPRValueWriteTheirTablesFallback) {
  UseCamera();
  const auto write = [&](std::uint8_t RemoteParamsType::*field, std::uint8_t value) {
    RemoteParamsType params{};
    params.*field = value;
    controller->RemoteSetRemoteParams(params);
  };
  write(&RemoteParamsType::DriveMode, 7);
  write(&RemoteParamsType::DriveMode, 6);
  write(&RemoteParamsType::DriveMode, 3);
  write(&RemoteParamsType::Contrast, 4);
  write(&RemoteParamsType::AFAssistLight, 2);
  write(&RemoteParamsType::AFAssistLight, 9);
  write(&RemoteParamsType::AFFocusingPoint, 8);
  write(&RemoteParamsType::ImageSize, 2);
  write(&RemoteParamsType::ImageMode, 27);
  write(&RemoteParamsType::WhiteBalanceSetting, 6);
  write(&RemoteParamsType::ISO, 21);
  EXPECT_THAT(Writes(), ElementsAre("D00E=02", "D009=1400", "D00E=02", "D009=6400", "D00E=FF",
                                    "D017=7F", "D041=0000", "D041=0000", "D012=0000", "D008=FF",
                                    "D00C=FF", "D013=FF", "D01C=FF00"));
}

// The PR sensitivity table is the camera's own: a public value without a row
// writes 255, however its low seven bits would read in another table.
TEST_F(PRRemoteParams, ISOValuesFrom128UpWriteTheFallback) {
  UseCamera();
  std::vector<std::string> expected;
  for (const std::uint32_t value : {2u, 20u, 128u, 129u, 130u, 139u, 148u, 255u}) {
    RemoteParamsType params{};
    params.ISO = static_cast<std::uint8_t>(value);
    controller->RemoteSetRemoteParams(params);
    expected.push_back(value == 2 ? "D01C=4000" : value == 20 ? "D01C=7000" : "D01C=FF00");
  }
  EXPECT_THAT(Writes(), ::testing::ElementsAreArray(expected));
}

TEST_F(PRRemoteParams, RefusedAndFailedWritesAreIgnoredAndTheRestGoOn) {
  UseCamera();
  FailCall("PR_SetDevicePropValue", Busy); // the image size
  RemoteParamsType params{};
  params.ImageSize = 3;
  params.DriveMode = 5; // PR 4: the default camera refuses it
  params.Contrast = 1;  // a signed byte the camera takes
  params.PhotoEffect = 2;
  EXPECT_EQ(MessageOf([&] { controller->RemoteSetRemoteParams(params); }), "");
  EXPECT_THAT(Writes(), ElementsAre("D008=02", "D00E=04", "D017=FF", "D040=0100"));

  const RemoteParamsType read = Read();
  EXPECT_EQ(read.ImageSize, 1); // unchanged
  EXPECT_EQ(read.DriveMode, 1); // unchanged
  EXPECT_EQ(read.Contrast, 1);  // -1 kept as -1
  EXPECT_EQ(read.PhotoEffect, 2);
}

TEST_F(PRRemoteParams, WhatIsWrittenReadsBack) {
  UseCamera();
  RemoteParamsType params{};
  params.ImageSize = 3;
  params.CompQuality = 5;
  params.ImageMode = 2;
  params.DriveMode = 7;
  params.Av = 10;
  params.Tv = 29;
  params.WhiteBalanceSetting = 7;
  params.AFFocusingPoint = 3;
  params.ISO = 5;
  params.Sharpness = 3;
  controller->RemoteSetRemoteParams(params);
  const RemoteParamsType read = Read();
  EXPECT_EQ(read.ImageSize, 3);
  EXPECT_EQ(read.CompQuality, 5);
  EXPECT_EQ(read.ImageMode, 2);
  EXPECT_EQ(read.DriveMode, 7);
  EXPECT_EQ(read.Av, 10);
  EXPECT_EQ(read.Tv, 29);
  EXPECT_EQ(read.WhiteBalanceSetting, 7);
  EXPECT_EQ(read.AFFocusingPoint, 3);
  EXPECT_EQ(read.ISO, 5);
  EXPECT_EQ(read.Sharpness, 3);
}

} // namespace
} // namespace vostrel::test
