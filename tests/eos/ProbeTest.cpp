// The parameter probe against the simulated EDSDK.DLL: which values of each
// kind end up offered, what is written to the camera and in which order, the
// progress reports, the waits, and the camera's settings afterwards.

#include "ProbeTestFixture.h"

#include <gmock/gmock.h>

#include <chrono>
#include <string>
#include <vector>

namespace vostrel::eos::test {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::Not;

const std::vector<std::int32_t> AllPercentages{6,  18, 24, 29, 35, 41, 47, 53,
                                               59, 65, 71, 76, 82, 88, 94, 100};

// The simulator's default camera offers, among image qualities, JPEG in
// sizes 0 to 2 and quality codes 3 and 5, RAW alone (which it always stores
// as size 0, quality 4) and RAW with each of those JPEGs beside it.

TEST_F(ProbeTest, ReportsEveryStepWaitsOnlyAfterTakenQualitiesAndRestoresTheCamera) {
  const auto before = Settings();
  Probe();

  EXPECT_EQ(progress, AllPercentages);
  EXPECT_EQ(Settings(), before);

  // One wait before each read-back of an image quality the camera took;
  // the restore of the settings is the last image-quality write.
  std::size_t takenQualities = 0;
  for (const LoggedCall& call : LoggedCalls()) {
    if (call.function == "EdsSetPropertyData" && call.property() == EdsPropImageQuality &&
        call.result == 0) {
      ++takenQualities;
    }
  }
  ASSERT_EQ(takenQualities, 6u + 5u + 6u + 1u);
  EXPECT_EQ(clock.sleeps(), 17);
  EXPECT_EQ(clock.slept(), 17 * 50ms);
}

TEST_F(ProbeTest, ImageQualitiesCountOnlyWhenTheyReadBackAsWritten) {
  Probe();
  EXPECT_EQ(Row(RemoteParamCompQuality), RowWith(RemoteParamCompQuality, {3, 4, 5}));
  // RAW in sizes 2 to 5 is taken but stored as size 0: no size is learnt
  // from it.
  EXPECT_EQ(Row(RemoteParamImageSize), RowWith(RemoteParamImageSize, {1, 2, 3}));
  EXPECT_EQ(Row(RemoteParamCompQualityPic2RAW), RowWith(RemoteParamCompQualityPic2RAW, {3, 4}));
  EXPECT_EQ(Row(RemoteParamImageSizePic2RAW), RowWith(RemoteParamImageSizePic2RAW, {1, 2, 3}));

  // RAW with a JPEG beside it is compared on the JPEG only.
  const std::vector<std::string> written = WrittenTo(EdsPropImageQuality);
  EXPECT_THAT(written, testing::Contains(Words({1, 2, 5, 1, 1, 5})));
}

TEST_F(ProbeTest, QualityOneAndSizeSixHaveNoCodeAndAreNeverTried) {
  UseCamera(DefaultModel, {{"ImageQuality", {{"accepted", nullptr}}}});
  Probe();

  EXPECT_EQ(Row(RemoteParamCompQuality), RowWith(RemoteParamCompQuality, {2, 3, 4, 5}));
  EXPECT_EQ(Row(RemoteParamImageSize), RowWith(RemoteParamImageSize, {1, 2, 3, 4, 5}));
  EXPECT_EQ(Row(RemoteParamCompQualityPic2RAW), RowWith(RemoteParamCompQualityPic2RAW, {2, 3, 4}));
  EXPECT_EQ(Row(RemoteParamImageSizePic2RAW),
            RowWith(RemoteParamImageSizePic2RAW, {1, 2, 3, 4, 5}));

  // 4 qualities by 5 sizes alone, 3 by 5 beside a RAW, then the restore;
  // a value without a code (-1) never reaches the camera.
  const std::vector<std::string> written = WrittenTo(EdsPropImageQuality);
  EXPECT_EQ(written.size(), 20u + 15u + 1u);
  EXPECT_THAT(written, testing::Each(Not(HasSubstr("FFFFFFFF"))));
}

TEST_F(ProbeTest, ACameraThatTakesRAWButReadsBackSomethingElseStillOffersRAW) {
  UseCamera(DefaultModel,
            {{"ImageQuality",
              {{"value", {0, 1, 1, 0, 0, 0}}, {"accepted", nullptr}, {"readBack", "unchanged"}}}});
  Probe();

  EXPECT_EQ(Row(RemoteParamCompQuality), RowWith(RemoteParamCompQuality, {5}));
  // Nothing else read back as written: those rows offer no value only.
  EXPECT_EQ(Row(RemoteParamImageSize), RowWith(RemoteParamImageSize, {0}));
  EXPECT_EQ(Row(RemoteParamCompQualityPic2RAW), RowWith(RemoteParamCompQualityPic2RAW, {0}));
  EXPECT_EQ(Row(RemoteParamImageSizePic2RAW), RowWith(RemoteParamImageSizePic2RAW, {0}));
}

TEST_F(ProbeTest, DescriptorRowsConvertEveryListedCode) {
  UseCamera(DefaultModel, {
                              // 259 carries code 3 in its low byte; 200 has no image mode.
                              {"ShootingMode", {{"value", 3}, {"accepted", {9, 259, 200, 3}}}},
                              // 7 is below the scale, 10 falls to 8, 0x10070 carries 112.
                              {"Av", {{"value", 8}, {"accepted", {7, 8, 10, 0x10070}}}},
                              {"Tv", {{"value", 96}, {"accepted", nlohmann::json::array()}}},
                              // The whole value counts: 269 is no exposure step.
                              {"ExposureCompensation", {{"value", 0}, {"accepted", {0, 269, 240}}}},
                              {"MeteringMode", {{"value", 1}, {"accepted", {1, 5, 2}}}},
                              // 328 carries code 72 in its low byte; 65 is no exact code.
                              {"ISOSpeed", {{"value", 0}, {"accepted", {0, 328, 65}}}},
                          });
  Probe();

  EXPECT_EQ(Row(RemoteParamImageMode), RowWith(RemoteParamImageMode, {1, 2}));
  EXPECT_EQ(Row(RemoteParamAv), RowWith(RemoteParamAv, {1, 40}));
  EXPECT_EQ(Row(RemoteParamTv), RowWith(RemoteParamTv, {0}));
  EXPECT_EQ(Row(RemoteParamExposureCompensation),
            RowWith(RemoteParamExposureCompensation, {7, 13}));
  EXPECT_EQ(Row(RemoteParamMLWeiMode), RowWith(RemoteParamMLWeiMode, {2, 6}));
  EXPECT_EQ(Row(RemoteParamISO), RowWith(RemoteParamISO, {1, 5}));

  std::vector<EdsUInt32> described;
  for (const LoggedCall& call : LoggedCalls()) {
    if (call.function == "EdsGetPropertyDesc") {
      described.push_back(call.property());
    }
  }
  EXPECT_THAT(described,
              ElementsAre(EdsPropShootingMode, EdsPropAv, EdsPropTv, EdsPropExposureCompensation,
                          EdsPropMeteringMode, EdsPropIsoSpeed));
  // Nothing is written to a descriptor-based kind but the restore.
  EXPECT_THAT(WrittenTo(EdsPropAv), ElementsAre(Words({8})));
}

TEST_F(ProbeTest, AFailingDescriptorRaisesAndTheCameraIsRestored) {
  struct Case {
    const char* property;
    std::uint32_t passing;
    std::size_t reports;
  };
  const Case cases[] = {{"image mode", 0, 3}, {"aperture", 1, 4},  {"shutter speed", 2, 5},
                        {"exposure", 3, 6},   {"metering", 4, 11}, {"sensitivity", 5, 13}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.property);
    UseCamera(DefaultModel, nlohmann::json::object());
    const auto before = Settings();
    Sim().injectFailure("EdsGetPropertyDesc", 0x00FF0081, c.passing, 1);

    EXPECT_EQ(MessageOf([&] { Probe(cacheFolder); }),
              "EdsGetPropertyDesc errorcode 0x00FF0081, Device busy");
    EXPECT_THAT(progress,
                ElementsAreArray(AllPercentages.begin(),
                                 AllPercentages.begin() + static_cast<std::ptrdiff_t>(c.reports)));
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(FilesBelowRoot().empty());
  }

  // A camera without the property fails the same way.
  UseCamera(DefaultModel, {{"Tv", nullptr}});
  EXPECT_EQ(MessageOf([&] { Probe(); }),
            "EdsGetPropertyDesc errorcode 0x00000050, Properties unavailable");
}

TEST_F(ProbeTest, TrialKindsKeepTheValuesTheCameraTakes) {
  Probe();

  // Each list ends with the restore of the camera's setting.
  EXPECT_EQ(Row(RemoteParamWhiteBalanceSetting),
            RowWith(RemoteParamWhiteBalanceSetting, {1, 2, 3, 4, 5, 6, 7, 12, 13}));
  EXPECT_THAT(WrittenTo(EdsPropWhiteBalance),
              ElementsAre(Words({0}), Words({1}), Words({2}), Words({3}), Words({4}), Words({5}),
                          Words({6}), Words({8}), Words({9}), Words({10}), Words({11}), Words({12}),
                          Words({0})));

  EXPECT_EQ(Row(RemoteParamAFMode), RowWith(RemoteParamAFMode, {1, 2, 3}));
  EXPECT_THAT(WrittenTo(EdsPropAFMode),
              ElementsAre(Words({0}), Words({1}), Words({2}), Words({3}), Words({0})));

  // Single-frame shooting follows every drive mode tried.
  EXPECT_EQ(Row(RemoteParamDriveMode), RowWith(RemoteParamDriveMode, {1, 2, 4, 6}));
  std::vector<std::string> drive;
  for (const int code : {0, 1, 2, 4, 5, 16, 17}) {
    drive.push_back(Words({code}));
    drive.push_back(Words({0}));
  }
  drive.push_back(Words({0}));
  EXPECT_EQ(WrittenTo(EdsPropDriveMode), drive);

  EXPECT_EQ(Row(RemoteParamColorSpace), RowWith(RemoteParamColorSpace, {1, 2}));

  // Photo effects 2 to 5 have no code and are never written.
  EXPECT_EQ(Row(RemoteParamPhotoEffect), RowWith(RemoteParamPhotoEffect, {1, 6}));
  EXPECT_THAT(WrittenTo(EdsPropPhotoEffect), ElementsAre(Words({0}), Words({5}), Words({0})));
}

TEST_F(ProbeTest, ShiftAndPictureStyleAreOfferedWhenTheCameraReportsThem) {
  struct Case {
    const char* name;
    nlohmann::json properties;
    const char* shift;
    const char* style;
  };
  const Case cases[] = {
      {"both reported", nlohmann::json::object(), "1", "1"},
      {"shift not available", {{"WhiteBalanceShift", {0, 0x7FFFFFFF}}}, "0", "1"},
      {"neither property", {{"WhiteBalanceShift", nullptr}, {"PictureStyle", nullptr}}, "0", "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseCamera(DefaultModel, c.properties);
    Probe();
    EXPECT_EQ(Row(RemoteParamWhiteBalanceShift), c.shift);
    EXPECT_EQ(Row(RemoteParamPictureStyle), c.style);
  }
}

TEST_F(ProbeTest, KindsWithoutAnEOSPropertyOfferNoValue) {
  Probe();
  for (const TxRemoteParamType kind :
       {RemoteParamContrast, RemoteParamColorGain, RemoteParamSharpness, RemoteParamAFDistance,
        RemoteParamAFFocusingPoint, RemoteParamAFAssistLight, RemoteParamStrobeSetting,
        RemoteParamStrobeCompSetting, RemoteParamBeep}) {
    EXPECT_EQ(Row(kind), RowWith(kind, {0})) << "kind " << kind;
  }
}

} // namespace
} // namespace vostrel::eos::test
