// The rules of the image-quality record: JPEG or RAW, with the JPEG beside a
// RAW, for every combination of public values. (The other records are
// tested through the simulated camera.)

#include "eos/EOSParamRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

// The SDK record lives in the global namespace, where comparisons of
// std::optional and the test macros look for its operators.
bool operator==(const ImageQualityValueType& a, const ImageQualityValueType& b) {
  return a.primaryImageSize == b.primaryImageSize && a.primaryImageFormat == b.primaryImageFormat &&
         a.primaryCompressQuality == b.primaryCompressQuality &&
         a.secondaryImageSize == b.secondaryImageSize &&
         a.secondaryImageFormat == b.secondaryImageFormat &&
         a.secondaryCompressQuality == b.secondaryCompressQuality;
}

std::ostream& operator<<(std::ostream& out, const ImageQualityValueType& q) {
  return out << "{" << q.primaryImageSize << ", " << q.primaryImageFormat << ", "
             << q.primaryCompressQuality << ", " << q.secondaryImageSize << ", "
             << q.secondaryImageFormat << ", " << q.secondaryCompressQuality << "}";
}

namespace vostrel::eos {
namespace {

// The four image-quality fields of RemoteParamsType.
struct QualityFields {
  std::uint8_t compQuality;
  std::uint8_t compQualityWithRAW;
  std::uint8_t imageSize;
  std::uint8_t imageSizeWithRAW;

  bool operator==(const QualityFields&) const = default;
};

std::ostream& operator<<(std::ostream& out, const QualityFields& f) {
  return out << "{" << int{f.compQuality} << ", " << int{f.compQualityWithRAW} << ", "
             << int{f.imageSize} << ", " << int{f.imageSizeWithRAW} << "}";
}

RemoteParamsType WithQuality(const QualityFields& f) {
  RemoteParamsType params{};
  params.CompQuality = f.compQuality;
  params.CompQualityPic2RAW = f.compQualityWithRAW;
  params.ImageSize = f.imageSize;
  params.ImageSizePic2RAW = f.imageSizeWithRAW;
  return params;
}

QualityFields QualityOf(const RemoteParamsType& params) {
  return {params.CompQuality, params.CompQualityPic2RAW, params.ImageSize, params.ImageSizePic2RAW};
}

TEST(EOSImageQuality, ReadsJPEGAndRAWSettings) {
  struct Case {
    ImageQualityValueType camera;
    QualityFields expected;
  };
  const std::vector<Case> cases{
      // RAW with a JPEG of quality code 3 and size code 1 beside it.
      {{0, 2, 4, 1, 1, 3}, {5, 3, 1, 2}},
      // RAW alone: no JPEG, so neither RAW field has a value.
      {{0, 2, 4, 0, 0, 0}, {5, 0, 1, 0}},
      // JPEG, quality code 5 and size code 2.
      {{2, 1, 5, 0, 0, 0}, {4, 0, 3, 0}},
      // Codes without a public value read as 0; quality is read from its low byte.
      {{3, 1, 1, 0, 0, 0}, {0, 0, 0, 0}},
      {{0x106, 1, 0x102, 0, 0, 0}, {2, 0, 5, 0}},
  };
  for (const Case& c : cases) {
    RemoteParamsType params = WithQuality({9, 9, 9, 9});
    ImageQualityToParams(c.camera, params);
    EXPECT_EQ(QualityOf(params), c.expected) << c.camera;
  }
}

TEST(EOSImageQuality, WritesOnlyWhatTheFieldsAskFor) {
  struct Case {
    QualityFields fields;
    std::optional<ImageQualityValueType> expected;
  };
  const std::vector<Case> cases{
      // RAW is taken at size code 0 with quality code 4, a JPEG beside it
      // only when both its quality and size have codes.
      {{5, 3, 0, 2}, ImageQualityValueType{0, 2, 4, 1, 1, 3}},
      {{5, 0, 4, 2}, ImageQualityValueType{0, 2, 4, 0, 0, 0}},
      {{5, 3, 4, 6}, ImageQualityValueType{0, 2, 4, 0, 0, 0}},
      {{5, 1, 4, 2}, ImageQualityValueType{0, 2, 4, 0, 0, 0}},
      // JPEG needs both a quality and a size.
      {{2, 0, 3, 0}, ImageQualityValueType{2, 1, 2, 0, 0, 0}},
      {{4, 3, 4, 2}, ImageQualityValueType{5, 1, 5, 0, 0, 0}},
      {{2, 0, 0, 0}, std::nullopt},
      {{0, 3, 3, 2}, std::nullopt},
      // A quality or size without an EOS code is not sent.
      {{1, 0, 3, 0}, std::nullopt},
      {{3, 0, 6, 0}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ImageQualityFromParams(WithQuality(c.fields)), c.expected) << c.fields;
  }
}

TEST(EOSImageQuality, EveryWrittenSettingReadsBack) {
  for (std::uint8_t quality = 2; quality <= 5; ++quality) {
    for (std::uint8_t size = 1; size <= 5; ++size) {
      const QualityFields fields =
          quality == 5 ? QualityFields{5, 4, 1, size} : QualityFields{quality, 0, size, 0};
      const auto written = ImageQualityFromParams(WithQuality(fields));
      ASSERT_TRUE(written.has_value()) << fields;
      RemoteParamsType read{};
      ImageQualityToParams(*written, read);
      EXPECT_EQ(QualityOf(read), fields);
    }
  }
}

} // namespace
} // namespace vostrel::eos
