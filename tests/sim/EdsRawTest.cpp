// RAW development with the simulated EDSDK.DLL: image references on RAW
// files, their white balance, and EdsSaveImage writing JPEG and TIFF whose
// colours follow the white balance, with an ICC profile when given.

#include "EdsTestSupport.h"

#include "platform/FileSystem.h"
#include "sim/world/Jpeg.h"
#include "sim/world/Tiff.h"

namespace vostrel::sim::test {
namespace {

class EdsRawTest : public EdsTest {
protected:
  void SetUp() override {
    EdsTest::SetUp();
    // The RAW file of the card, as the host would have downloaded it.
    rawFile_ = temporaryFile("IMG_0002.CR2");
    platform::writeFile(rawFile_, *control().readFile(0, 0, "DCIM/100EOSST/IMG_0002.CR2"));
    ASSERT_EQ(eds().EdsCreateFileStream(rawFile_.c_str(), EdsFileOpenExisting, EdsAccessRead,
                                        &rawStream_),
              EdsErrOK);
    ASSERT_EQ(eds().EdsCreateImageRef(rawStream_, &image_), EdsErrOK);
  }

  void TearDown() override {
    EdsTest::TearDown();
    platform::removeFile(rawFile_);
  }

  Bytes develop(EdsUInt32 targetType, EdsUInt32 quality, EdsStreamRef icc = nullptr) {
    EdsStreamRef out = nullptr;
    EXPECT_EQ(eds().EdsCreateMemoryStream(0, &out), EdsErrOK);
    EXPECT_EQ(eds().EdsSaveImage(image_, targetType, SaveImageSettingType{quality, icc, 0}, out),
              EdsErrOK);
    return streamBytes(out);
  }

  // Mean red over mean blue of the bottom-right corner (the brightest red).
  static double redToBlue(const Rgb16Image& image) {
    double red = 0;
    double blue = 0;
    for (int y = image.height - 10; y < image.height; ++y) {
      for (int x = image.width - 10; x < image.width; ++x) {
        red += image.at(x, y, 0);
        blue += image.at(x, y, 2);
      }
    }
    return red / blue;
  }

  std::string rawFile_;
  EdsStreamRef rawStream_ = nullptr;
  EdsImageRef image_ = nullptr;
};

TEST_F(EdsRawTest, ImageCarriesTheShotsWhiteBalanceAndAcceptsTheSupportedOnes) {
  EXPECT_EQ(property32(image_, EdsPropWhiteBalance), 0u);
  EXPECT_EQ(property32(image_, EdsPropColorTemperature), 5200u);
  ImageInfoType info{};
  ASSERT_EQ(eds().EdsGetImageInfo(image_, 0, &info), EdsErrOK);
  EXPECT_EQ(info.width, 160u);
  EXPECT_EQ(info.componentDepth, 16u);
  for (EdsUInt32 code = 0; code <= 12; ++code) {
    EXPECT_EQ(setProperty32(image_, EdsPropWhiteBalance, code),
              code == 7 ? EdsErrInvalidParameter : EdsErrOK)
        << code;
  }
  EXPECT_EQ(setProperty32(image_, EdsPropColorTemperature, 6500), EdsErrOK);
  EXPECT_EQ(setProperty32(image_, EdsPropColorTemperature, 20000), EdsErrInvalidParameter);
  EXPECT_EQ(setProperty32(image_, EdsPropAv, 40), EdsErrPropertiesUnavailable);
}

TEST_F(EdsRawTest, DevelopsJpegAndTiffWhoseColoursFollowTheWhiteBalance) {
  ASSERT_EQ(setProperty32(image_, EdsPropWhiteBalance, 9), EdsErrOK);
  ASSERT_EQ(setProperty32(image_, EdsPropColorTemperature, 3000), EdsErrOK);
  const TiffContent cool = readTiff(develop(EdsTargetImageTIFF16, 0));
  ASSERT_EQ(setProperty32(image_, EdsPropColorTemperature, 9000), EdsErrOK);
  const TiffContent warm = readTiff(develop(EdsTargetImageTIFF16, 0));
  EXPECT_EQ(cool.bitsPerSample, 16);
  EXPECT_EQ(cool.pixels.width, 160);
  EXPECT_GT(redToBlue(warm.pixels), 2.5 * redToBlue(cool.pixels));

  const TiffContent asShot = [&] {
    EXPECT_EQ(setProperty32(image_, EdsPropWhiteBalance, 0), EdsErrOK);
    return readTiff(develop(EdsTargetImageTIFF, 0));
  }();
  EXPECT_EQ(asShot.bitsPerSample, 8);
  // As shot, the corner is the test pattern's: full red, no green.
  EXPECT_NEAR(asShot.pixels.at(159, 0, 0), 255, 2);
  EXPECT_NEAR(asShot.pixels.at(159, 0, 1), 0, 2);

  const Rgb8Image jpeg = decodeJpeg(develop(EdsTargetImageJPEG, 90));
  EXPECT_EQ(jpeg.width, 160);
  EdsStreamRef out = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &out), EdsErrOK);
  EXPECT_EQ(
      eds().EdsSaveImage(image_, EdsTargetImageJPEG, SaveImageSettingType{0, nullptr, 0}, out),
      EdsErrInvalidParameter);
  EXPECT_EQ(eds().EdsSaveImage(image_, 0, SaveImageSettingType{90, nullptr, 0}, out),
            EdsErrInvalidParameter);
}

TEST_F(EdsRawTest, EmbedsTheIccProfileGiven) {
  const Bytes profile(3000, 0x5A);
  EdsStreamRef icc = nullptr;
  EdsUInt32 written = 0;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &icc), EdsErrOK);
  ASSERT_EQ(eds().EdsWrite(icc, static_cast<EdsUInt32>(profile.size()), profile.data(), &written),
            EdsErrOK);
  EXPECT_EQ(readTiff(develop(EdsTargetImageTIFF, 0, icc)).iccProfile, profile);
  EXPECT_EQ(jpegIccProfile(develop(EdsTargetImageJPEG, 80, icc)), profile);
  EXPECT_TRUE(jpegIccProfile(develop(EdsTargetImageJPEG, 80)).empty());
}

TEST_F(EdsRawTest, OnlyRawFilesOpenAsImages) {
  EdsStreamRef jpeg = nullptr;
  const Bytes bytes = *control().readFile(0, 0, "DCIM/100EOSST/IMG_0001.JPG");
  EdsUInt32 written = 0;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &jpeg), EdsErrOK);
  ASSERT_EQ(eds().EdsWrite(jpeg, static_cast<EdsUInt32>(bytes.size()), bytes.data(), &written),
            EdsErrOK);
  EdsImageRef image = nullptr;
  EXPECT_EQ(eds().EdsCreateImageRef(jpeg, &image), EdsErrFileFormatUnrecognized);
  EXPECT_EQ(image, nullptr);
}

} // namespace
} // namespace vostrel::sim::test
