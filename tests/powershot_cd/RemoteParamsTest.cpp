// The shooting parameters of a CD camera through the controller: where each
// kind is read and written, the conversion tables at their edges, the order
// of the writes, and failures that are ignored.

#include "SimulatedCD.h"

#include "core/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CDRemoteParams : public SimulatedCD {
protected:
  void UseCamera(const nlohmann::json& properties = nlohmann::json::object()) {
    UseScenario({CDCameraSpec{.properties = properties}});
    ConnectFirstCamera();
    controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                            ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
    Sim().clearCallLog();
  }

  RemoteParamsType Read() {
    RemoteParamsType params{};
    controller->RemoteGetRemoteParams(params);
    return params;
  }

  // The set calls, without the source: "CDSetAvValue(40)".
  static std::vector<std::string> Writes() {
    static const std::regex set(R"(^(CDSet\w+)\(source#, (.*)\) = )");
    std::vector<std::string> found;
    for (const std::string& call : Calls()) {
      std::smatch match;
      if (std::regex_search(call, match, set)) {
        found.push_back(match.format("$1($2)"));
      }
    }
    return found;
  }

  static std::int64_t WorldValue(const std::string& name) {
    return WorldCamera(0).at("properties").at(name).at("value").get<std::int64_t>();
  }
};

TEST_F(CDRemoteParams, EveryKindIsReadFromItsPlace) {
  UseCamera({{"ImageFormat", 0x00050004}, // quality code 4, size code 5
             {"WhiteBalance", {{"value", 9}, {"accepted", nullptr}}},
             {"Kelvin", 6500},
             {"Contrast", -1},
             {"Sharpness", -1},
             {"PhotoEffect", 3},
             {"Beep", 0},
             {"ISO", 0x48}});
  const RemoteParamsType params = Read();
  EXPECT_EQ(params.CompQuality, 5);
  EXPECT_EQ(params.ImageSize, 4);
  EXPECT_EQ(params.ImageMode, 16); // code 1
  EXPECT_EQ(params.Av, 13);        // code 0x28
  EXPECT_EQ(params.Tv, 32);        // code 0x60
  EXPECT_EQ(params.ExposureCompensation, 7);
  EXPECT_EQ(params.WhiteBalanceSetting, 13);
  EXPECT_EQ(params.WhiteBalanceKelvin, 6500);
  EXPECT_EQ(params.AFDistance, 1);
  EXPECT_EQ(params.StrobeSetting, 1);
  EXPECT_EQ(params.StrobeCompSetting, 7);
  EXPECT_EQ(params.MLWeiMode, 1);
  EXPECT_EQ(params.ISO, 5);
  EXPECT_EQ(params.Contrast, 1);
  EXPECT_EQ(params.ColorGain, 2);
  EXPECT_EQ(params.Sharpness, 3); // the reverse order of the contrast table
  EXPECT_EQ(params.PhotoEffect, 5);
  EXPECT_EQ(params.Beep, 2);
  // What the CD cameras do not have stays 0.
  EXPECT_EQ(params.DriveMode, 0);
  EXPECT_EQ(params.AFMode, 0);
  EXPECT_EQ(params.ColorSpace, 0);
  EXPECT_EQ(params.CompQualityPic2RAW, 0);
}

TEST_F(CDRemoteParams, CodesWithoutAValueReadAsZero) {
  UseCamera({{"WhiteBalance", {{"value", 13}, {"accepted", nullptr}}},
             {"ShootingMode", 0},
             {"Contrast", {{"value", 2}, {"accepted", nullptr}}}});
  const RemoteParamsType params = Read();
  EXPECT_EQ(params.WhiteBalanceSetting, 0);
  EXPECT_EQ(params.WhiteBalanceKelvin, 0);
  EXPECT_EQ(params.ImageMode, 1); // code 0
  EXPECT_EQ(params.Contrast, 0);  // a camera byte of 2
  // No Kelvin read for a white balance that is not the colour temperature.
  for (const std::string& call : Calls()) {
    EXPECT_EQ(call.find("0x00001100"), std::string::npos) << call;
  }
}

TEST_F(CDRemoteParams, AFailedReadLeavesOnlyItsFieldsZero) {
  UseCamera();
  FailCall("CDGetAvValue", 0x81);
  FailCall("CDGetFlashSetting", 0x81);
  FailCall("CDGetRelCamSettingData", 0x81); // metering, the first setting
  const RemoteParamsType params = Read();
  EXPECT_EQ(params.Av, 0);
  EXPECT_EQ(params.StrobeSetting, 0);
  EXPECT_EQ(params.StrobeCompSetting, 0);
  EXPECT_EQ(params.MLWeiMode, 0);
  EXPECT_EQ(params.Tv, 32);
  EXPECT_EQ(params.ISO, 1);
  EXPECT_EQ(params.Beep, 1);
}

TEST_F(CDRemoteParams, AReadThatDeliversNoCodeReadsAsZero) {
  UseCamera();
  // Every read answers success without writing its code.
  for (const char* function :
       {"CDGetImageFormatAttribute", "CDGetShootingMode", "CDGetAvValue", "CDGetTvValue",
        "CDGetExposureComp", "CDGetWBSetting", "CDGetAFDistanceSetting", "CDGetFlashSetting",
        "CDGetRelCamSettingData"}) {
    Sim().injectFailure(function, 0, 0, 100);
  }
  const RemoteParamsType params = Read();
  const RemoteParamsType none{};
  EXPECT_EQ(std::memcmp(&params, &none, sizeof params), 0)
      << "image mode " << int{params.ImageMode} << ", AF distance " << int{params.AFDistance}
      << ", contrast " << int{params.Contrast} << ", ISO " << int{params.ISO};

  // The probe's shooting-mode read names the cache file after no image mode.
  controller->RemoteEnd();
  TempFolder folder;
  controller->RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                          ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, true,
                          folder.path().string());
  EXPECT_TRUE(std::filesystem::is_regular_file(folder.path() / "PowerShot Test Mode0"));
}

TEST_F(CDRemoteParams, FieldsAreWrittenInOrderThroughTheirTables) {
  UseCamera({{"WhiteBalance", {{"value", 0}, {"accepted", nullptr}}}, {"ShootingMode", 4}});
  RemoteParamsType params{};
  params.CompQuality = 4;
  params.ImageSize = 6;
  params.ImageMode = 22;
  params.Av = 13;
  params.Tv = 32;
  params.ExposureCompensation = 1;
  params.WhiteBalanceSetting = 13;
  params.WhiteBalanceKelvin = 5200;
  params.AFDistance = 3;
  params.StrobeSetting = 2;
  params.StrobeCompSetting = 13;
  params.MLWeiMode = 2;
  params.ISO = 5;
  params.Contrast = 1;
  params.ColorGain = 3;
  params.Sharpness = 1;
  params.PhotoEffect = 2;
  params.Beep = 2;
  params.DriveMode = 3; // not a CD parameter: ignored
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(),
              ElementsAre("CDSetImageFormatAttribute(5, 7)", "CDSetShootingMode(101)",
                          "CDSetAvValue(40)", "CDSetTvValue(96)", "CDSetExposureComp(8)",
                          "CDSetWBSetting(9)", "CDSetRelCamSettingData(0x00001100, 2, 5014)",
                          "CDSetAFDistanceSetting(2)", "CDSetFlashSetting(1, 255)",
                          "CDSetFlashSetting(255, 40)", "CDSetRelCamSettingData(0x08000004, 1, 01)",
                          "CDSetRelCamSettingData(0x0800000C, 2, 4800)",
                          "CDSetRelCamSettingData(0x08000008, 1, FF)",
                          "CDSetRelCamSettingData(0x08000009, 1, 01)",
                          "CDSetRelCamSettingData(0x0800000A, 1, 01)",
                          "CDSetRelCamSettingData(0x08000B00, 2, FFFF)",
                          "CDSetRelCamSettingData(0x08000002, 1, 00)"));
}

TEST_F(CDRemoteParams, OnlyNonZeroFieldsAreWritten) {
  UseCamera();
  RemoteParamsType params{};
  params.CompQuality = 2; // without a size the image format is left alone
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(), IsEmpty());

  params = RemoteParamsType{};
  params.WhiteBalanceSetting = 12;
  params.WhiteBalanceKelvin = 5200; // only with the colour temperature
  params.ISO = 99;                  // outside the scale: the fallback code
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(),
              ElementsAre("CDSetWBSetting(8)", "CDSetRelCamSettingData(0x0800000C, 2, FF00)"));
}

TEST_F(CDRemoteParams, ARefusedWriteDoesNotStopTheOthers) {
  UseCamera();
  RemoteParamsType params{};
  params.Av = 1; // code 8: refused, the lens does not open that far
  params.ExposureCompensation = 1;
  params.Beep = 2;
  FailCall("CDSetExposureComp", 0x81);
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(), ElementsAre("CDSetAvValue(8)", "CDSetExposureComp(8)",
                                    "CDSetRelCamSettingData(0x08000002, 1, 00)"));
  EXPECT_EQ(WorldValue("Av"), 0x28);
  EXPECT_EQ(WorldValue("ExposureComp"), 24);
  EXPECT_EQ(WorldValue("Beep"), 0);
}

TEST_F(CDRemoteParams, ValuesAboveTheLowSevenBitsActAsTheirLowBits) {
  UseCamera();
  RemoteParamsType params{};
  params.AFDistance = 129; // acts as 1
  params.Contrast = 129;   // outside the contrast table: the fallback
  controller->RemoteSetRemoteParams(params);
  EXPECT_THAT(Writes(), ElementsAre("CDSetAFDistanceSetting(0)",
                                    "CDSetRelCamSettingData(0x08000008, 1, 7F)"));
}

} // namespace
} // namespace vostrel::test
