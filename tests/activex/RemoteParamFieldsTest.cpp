// The flat parameter view of the control: which field each kind reads, and
// the records the setters build, checked byte by byte.

#include "activex/RemoteParamFields.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vostrel {
namespace {

std::vector<std::uint8_t> BytesOf(const RemoteParamsType& record) {
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

// A record whose byte at offset i holds 100 + i, with a Kelvin value.
RemoteParamsType NumberedRecord() {
  RemoteParamsType record{};
  auto* bytes = reinterpret_cast<unsigned char*>(&record);
  for (std::size_t i = 0; i < sizeof record; ++i) {
    bytes[i] = static_cast<unsigned char>(100 + i);
  }
  record.WhiteBalanceKelvin = 5200;
  return record;
}

// Answers the builder's questions for the current values and notes them.
struct FakeCamera {
  std::vector<std::int32_t> asked;
  std::int32_t operator()(std::int32_t kind) {
    asked.push_back(kind);
    return kind == RemoteParamWhiteBalanceKelvin ? 6500 : 10 + kind;
  }
};

TEST(RemoteParamFieldTest, PlainKindsReadTheirOwnByteZeroExtended) {
  const RemoteParamsType record = NumberedRecord();
  struct Case {
    std::int32_t kind;
    std::int32_t expected;
  };
  // Drive mode lives at offset 7 and image mode at offset 6, the reverse of
  // their kinds.
  const Case cases[] = {{RemoteParamCompQuality, 100},
                        {RemoteParamImageSizePic2RAW, 103},
                        {RemoteParamDriveMode, 107},
                        {RemoteParamImageMode, 106},
                        {RemoteParamWhiteBalanceSetting, 113},
                        {RemoteParamContrast, 134},
                        {RemoteParamISO, 138},
                        {RemoteParamTv, 140},
                        {RemoteParamBeep, 143},
                        {RemoteParamWhiteBalanceKelvin, 5200},
                        // The kind counts modulo 256.
                        {256 + RemoteParamAv, 139},
                        {-256 + RemoteParamAFMode, 109}};
  for (const Case& c : cases) {
    EXPECT_EQ(RemoteParamField(record, c.kind), c.expected) << "kind " << c.kind;
  }
}

TEST(RemoteParamFieldTest, GroupsAndUnknownKindsReadZero) {
  const RemoteParamsType record = NumberedRecord();
  for (const std::int32_t kind : std::initializer_list<std::int32_t>{
           RemoteParamWhiteBalanceShift, RemoteParamPictureStyle, 27, 255}) {
    EXPECT_EQ(RemoteParamField(record, kind), 0) << "kind " << kind;
  }
}

TEST(RemoteParamFieldTest, SignedPictureStyleAndShiftFieldsAreSignExtended) {
  RemoteParamsType record{};
  record.PictureStyleEnabled = 1;
  record.PictureStyleContrast = -3;
  record.PictureStyleSharpness = 250;
  record.PictureStyleSaturation = -4;
  record.PictureStyleColorTone = -1;
  record.PictureStyleMonochromeTone = MonochromeToneViolet;
  record.WBShiftEnabled = 1;
  record.WBShiftAmberBlue = -9;
  record.WBShiftGreenMagenta = 7;

  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleEnabled), 1);
  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleContrast), -3);
  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleSharpness), 250);
  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleSaturation), -4);
  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleColorTone), -1);
  EXPECT_EQ(PictureStyleField(record, RemoteParamPictureStyleMonochromeTone), 3);
  EXPECT_EQ(PictureStyleField(record, 256 + RemoteParamPictureStyleContrast), -3);
  EXPECT_EQ(PictureStyleField(record, 11), 0);

  EXPECT_EQ(WhitebalanceShiftField(record, RemoteParamWhitebalanceShiftWBShiftEnabled), 1);
  EXPECT_EQ(WhitebalanceShiftField(record, RemoteParamWhitebalanceShiftAmberBlue), -9);
  EXPECT_EQ(WhitebalanceShiftField(record, RemoteParamWhitebalanceShiftGreenMagenta), 7);
  EXPECT_EQ(WhitebalanceShiftField(record, 3), 0);
}

TEST(RemoteParamSettingTest, ImageFieldsTravelTogetherWithTheCurrentValues) {
  FakeCamera camera;
  const auto record = RecordSettingRemoteParam(RemoteParamImageSize, 5, std::ref(camera));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->ImageSize, 5);
  EXPECT_EQ(record->CompQuality, 10 + RemoteParamCompQuality);
  EXPECT_EQ(record->CompQualityPic2RAW, 10 + RemoteParamCompQualityPic2RAW);
  EXPECT_EQ(record->ImageSizePic2RAW, 10 + RemoteParamImageSizePic2RAW);
  EXPECT_EQ(camera.asked,
            (std::vector<std::int32_t>{RemoteParamCompQuality, RemoteParamCompQualityPic2RAW,
                                       RemoteParamImageSizePic2RAW}));
  // Nothing else is sent.
  RemoteParamsType imageOnly{};
  imageOnly.CompQuality = record->CompQuality;
  imageOnly.CompQualityPic2RAW = record->CompQualityPic2RAW;
  imageOnly.ImageSize = record->ImageSize;
  imageOnly.ImageSizePic2RAW = record->ImageSizePic2RAW;
  EXPECT_EQ(BytesOf(*record), BytesOf(imageOnly));
}

TEST(RemoteParamSettingTest, WhiteBalanceAndKelvinBringEachOtherAlong) {
  {
    FakeCamera camera;
    const auto record =
        RecordSettingRemoteParam(RemoteParamWhiteBalanceSetting, 13, std::ref(camera));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->WhiteBalanceSetting, 13);
    EXPECT_EQ(record->WhiteBalanceKelvin, 6500);
    EXPECT_EQ(camera.asked, std::vector<std::int32_t>{RemoteParamWhiteBalanceKelvin});
  }
  {
    FakeCamera camera;
    const auto record =
        RecordSettingRemoteParam(RemoteParamWhiteBalanceSetting, 4, std::ref(camera));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->WhiteBalanceSetting, 4);
    EXPECT_EQ(record->WhiteBalanceKelvin, 0);
    EXPECT_TRUE(camera.asked.empty());
  }
  {
    FakeCamera camera;
    const auto record =
        RecordSettingRemoteParam(RemoteParamWhiteBalanceKelvin, 70000, std::ref(camera));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->WhiteBalanceSetting, 10 + RemoteParamWhiteBalanceSetting);
    EXPECT_EQ(record->WhiteBalanceKelvin, 70000); // the whole value, not its low byte
    EXPECT_EQ(camera.asked, std::vector<std::int32_t>{RemoteParamWhiteBalanceSetting});
  }
}

TEST(RemoteParamSettingTest, OtherKindsSetOnlyTheirLowByte) {
  FakeCamera camera;
  const auto iso = RecordSettingRemoteParam(RemoteParamISO, 260, std::ref(camera));
  ASSERT_TRUE(iso);
  RemoteParamsType expected{};
  expected.ISO = 4;
  EXPECT_EQ(BytesOf(*iso), BytesOf(expected));

  const auto drive = RecordSettingRemoteParam(RemoteParamDriveMode, 2, std::ref(camera));
  ASSERT_TRUE(drive);
  expected = {};
  expected.DriveMode = 2;
  EXPECT_EQ(BytesOf(*drive), BytesOf(expected));
  EXPECT_TRUE(camera.asked.empty());
}

TEST(RemoteParamSettingTest, GroupsAndUnknownKindsSendNothing) {
  FakeCamera camera;
  for (const std::int32_t kind : std::initializer_list<std::int32_t>{
           RemoteParamWhiteBalanceShift, RemoteParamPictureStyle, 27, -1}) {
    EXPECT_FALSE(RecordSettingRemoteParam(kind, 1, std::ref(camera))) << "kind " << kind;
  }
  EXPECT_TRUE(camera.asked.empty());
}

TEST(RemoteParamSettingTest, GroupedSettersFillOnlyTheirOwnFields) {
  RemoteParamsType expected{};
  expected.ImageSize = 1;
  expected.CompQuality = 2;
  expected.ImageSizePic2RAW = 3;
  expected.CompQualityPic2RAW = 4;
  EXPECT_EQ(BytesOf(RecordSettingImageQuality(1, 2, 3, 256 + 4)), BytesOf(expected));

  PictureStyleSettings style;
  style.Enabled = true;
  style.Contrast = -2;
  style.Sharpness = 300; // low 8 bits: 44
  style.Saturation = 3;
  style.SaturationUsed = true;
  style.ColorTone = -4;
  style.MonochromeFilter = MonochromeFilterRed;
  style.MonochromeFilterUsed = true;
  style.MonochromeTone = MonochromeToneSepia;
  expected = {};
  expected.PictureStyleEnabled = 1;
  expected.PictureStyleContrast = -2;
  expected.PictureStyleSharpness = 44;
  expected.PictureStyleSaturation = 3;
  expected.PictureStyleSaturationUsed = 1;
  expected.PictureStyleColorTone = -4;
  expected.PictureStyleMonochromeFilter = MonochromeFilterRed;
  expected.PictureStyleMonochromeFilterUsed = 1;
  expected.PictureStyleMonochromeTone = MonochromeToneSepia;
  EXPECT_EQ(BytesOf(RecordSettingPictureStyle(style)), BytesOf(expected));

  expected = {};
  expected.WBShiftEnabled = 1;
  expected.WBShiftAmberBlue = -9;
  expected.WBShiftGreenMagenta = -1; // 0x1FF keeps 0xFF
  EXPECT_EQ(BytesOf(RecordSettingWhitebalanceShift(true, -9, 0x1FF)), BytesOf(expected));
}

TEST(RAWParamTest, SettingsAndKelvin) {
  FakeCamera camera;
  const auto temperature = RecordSettingRAWParam(RAWParamWhiteBalanceSetting, 13, std::ref(camera));
  ASSERT_TRUE(temperature);
  EXPECT_EQ(temperature->WhiteBalanceSetting, 13);
  EXPECT_EQ(temperature->WhiteBalanceKelvin, 10 + RAWParamWhiteBalanceKelvin);
  EXPECT_EQ(camera.asked, std::vector<std::int32_t>{RAWParamWhiteBalanceKelvin});

  camera.asked.clear();
  const auto daylight = RecordSettingRAWParam(RAWParamWhiteBalanceSetting, 1, std::ref(camera));
  ASSERT_TRUE(daylight);
  EXPECT_EQ(daylight->WhiteBalanceSetting, 1);
  EXPECT_EQ(daylight->WhiteBalanceKelvin, 0);

  const auto kelvin = RecordSettingRAWParam(RAWParamWhiteBalanceKelvin, 4300, std::ref(camera));
  ASSERT_TRUE(kelvin);
  EXPECT_EQ(kelvin->WhiteBalanceSetting, 13);
  EXPECT_EQ(kelvin->WhiteBalanceKelvin, 4300);
  EXPECT_TRUE(camera.asked.empty());

  EXPECT_FALSE(RecordSettingRAWParam(2, 1, std::ref(camera)));

  const RAWDevelopParamsType params{7, 5600};
  EXPECT_EQ(RAWParamField(params, RAWParamWhiteBalanceSetting), 7);
  EXPECT_EQ(RAWParamField(params, RAWParamWhiteBalanceKelvin), 5600);
  EXPECT_EQ(RAWParamField(params, 2), 0);
}

} // namespace
} // namespace vostrel
