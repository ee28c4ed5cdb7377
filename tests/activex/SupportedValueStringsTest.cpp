// The supported-value strings: one character per value code, their lengths
// as the automation interface documents them.

#include "activex/SupportedValueStrings.h"

#include <gtest/gtest.h>

namespace vostrel {
namespace {

TEST(SupportedValuesStringTest, EveryKindHasTheDocumentedLength) {
  struct Case {
    std::int32_t kind;
    std::size_t length;
  };
  const Case cases[] = {{RemoteParamCompQuality, 6},
                        {RemoteParamCompQualityPic2RAW, 6},
                        {RemoteParamImageSize, 7},
                        {RemoteParamImageSizePic2RAW, 7},
                        {RemoteParamStrobeSetting, 8},
                        {RemoteParamStrobeCompSetting, 14},
                        {RemoteParamDriveMode, 8},
                        {RemoteParamImageMode, 37},
                        {RemoteParamMLWeiMode, 7},
                        {RemoteParamAFMode, 5},
                        {RemoteParamAFDistance, 13},
                        {RemoteParamAFFocusingPoint, 8},
                        {RemoteParamAFAssistLight, 3},
                        {RemoteParamWhiteBalanceSetting, 17},
                        {RemoteParamWhiteBalanceKelvin, 0},
                        {RemoteParamWhiteBalanceShift, 1},
                        {RemoteParamPictureStyle, 1},
                        {RemoteParamContrast, 4},
                        {RemoteParamColorGain, 4},
                        {RemoteParamSharpness, 4},
                        {RemoteParamColorSpace, 3},
                        {RemoteParamISO, 21},
                        {RemoteParamAv, 41},
                        {RemoteParamTv, 60},
                        {RemoteParamExposureCompensation, 14},
                        {RemoteParamPhotoEffect, 7},
                        {RemoteParamBeep, 3},
                        {27, 0},
                        {-1, 0}};
  const SupportedParamValuesType none{};
  for (const Case& c : cases) {
    const std::string text = SupportedValuesString(none, c.kind);
    EXPECT_EQ(text.size(), c.length) << "kind " << c.kind;
    EXPECT_EQ(text, std::string(c.length, '0')) << "kind " << c.kind;
  }
}

TEST(SupportedValuesStringTest, FlagsShowInValueOrderWithinTheirRow) {
  SupportedParamValuesType supported{};
  supported.SetSupported(RemoteParamTv, 1, true);
  supported.SetSupported(RemoteParamTv, 59, true);
  supported.SetSupported(RemoteParamExposureCompensation, 0, true); // the next row
  supported.SetSupported(RemoteParamPictureStyle, 0, true);

  std::string tv(60, '0');
  tv[1] = '1';
  tv[59] = '1';
  EXPECT_EQ(SupportedValuesString(supported, RemoteParamTv), tv);
  EXPECT_EQ(SupportedValuesString(supported, RemoteParamExposureCompensation), "10000000000000");
  EXPECT_EQ(SupportedValuesString(supported, RemoteParamPictureStyle), "1");
  EXPECT_EQ(SupportedValuesString(supported, RemoteParamWhiteBalanceShift), "0");
}

TEST(RAWSupportedStringTest, SeventeenWhiteBalanceSettings) {
  RAWSupportedType supported{};
  supported.WhiteBalanceSetting[0] = true;
  supported.WhiteBalanceSetting[13] = true;
  supported.WhiteBalanceSetting[16] = true;
  EXPECT_EQ(RAWSupportedString(supported, RAWParamWhiteBalanceSetting), "10000000000001001");
  EXPECT_EQ(RAWSupportedString(supported, RAWParamWhiteBalanceKelvin), "");
  EXPECT_EQ(RAWSupportedString(supported, -1), "");
}

} // namespace
} // namespace vostrel
