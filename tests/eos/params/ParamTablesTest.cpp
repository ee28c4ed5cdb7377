// The conversions between public values and EDSDK codes of the EOS shooting
// parameters, in both directions.

#include "core/CamDefines.h"
#include "eos/EOSParamTables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace vostrel::eos {
namespace {

struct ConversionCase {
  std::string name;
  const ParamConversion* conversion;
  TxRemoteParamType kind;
  std::int32_t noValueCode;
  // Value-code pairs taken from the camera's documentation, the odd ones
  // (codes that are not the value) first.
  std::vector<std::pair<std::uint8_t, std::int32_t>> pairs;
  // Every public value that has a code.
  std::set<std::uint32_t> valuesWithCode;
  CodeBits bits;
};

std::ostream& operator<<(std::ostream& out, const ConversionCase& c) {
  return out << c.name;
}

std::set<std::uint32_t> Range(std::uint32_t first, std::uint32_t last) {
  std::set<std::uint32_t> values;
  for (std::uint32_t value = first; value <= last; ++value) {
    values.insert(value);
  }
  return values;
}

// Aperture and shutter speed read a code between two table codes as the
// lower value; every other kind reads only exact codes.
bool FallsToLowerValue(TxRemoteParamType kind) {
  return kind == RemoteParamAv || kind == RemoteParamTv;
}

std::size_t RowLength(TxRemoteParamType kind) {
  const SupportedParamRow* row = FindSupportedParamRow(kind);
  return row == nullptr ? 0 : row->Length;
}

const std::vector<ConversionCase> Cases{
    {"Q",
     &CompQualityTable,
     RemoteParamCompQuality,
     -1,
     {{4, 5}, {5, 4}, {2, 2}, {3, 3}},
     {2, 3, 4, 5},
     CodeBits::LowByte},
    {"QWithRAW",
     &CompQualityTable,
     RemoteParamCompQualityPic2RAW,
     -1,
     {{4, 5}, {5, 4}},
     {2, 3, 4, 5},
     CodeBits::LowByte},
    {"S",
     &ImageSizeTable,
     RemoteParamImageSize,
     -1,
     {{1, 0}, {4, 5}, {5, 6}, {3, 2}},
     Range(1, 5),
     CodeBits::LowByte},
    {"SWithRAW",
     &ImageSizeTable,
     RemoteParamImageSizePic2RAW,
     -1,
     {{2, 1}, {4, 5}},
     Range(1, 5),
     CodeBits::LowByte},
    {"M",
     &ImageModeTable,
     RemoteParamImageMode,
     -1,
     {{1, 9}, {2, 3}, {3, 13}, {4, 11}, {6, 10}, {9, 12}, {11, 14}, {16, 0}, {21, 4}, {23, 15}},
     {1, 2, 3, 4, 6, 9, 11, 16, 17, 18, 19, 20, 21, 23},
     CodeBits::LowByte},
    {"D",
     &DriveModeTable,
     RemoteParamDriveMode,
     -1,
     {{1, 0}, {4, 4}, {6, 16}, {7, 17}},
     Range(1, 7),
     CodeBits::All},
    {"L",
     &MeteringModeTable,
     RemoteParamMLWeiMode,
     -1,
     {{2, 1}, {4, 3}, {5, 4}, {6, 5}},
     {2, 4, 5, 6},
     CodeBits::All},
    {"F", &AFModeTable, RemoteParamAFMode, -1, {{1, 0}, {4, 3}}, Range(1, 4), CodeBits::All},
    {"W",
     &WhiteBalanceTable,
     RemoteParamWhiteBalanceSetting,
     -10,
     {{1, 0}, {7, 6}, {12, 8}, {13, 9}, {16, 12}},
     {1, 2, 3, 4, 5, 6, 7, 12, 13, 14, 15, 16},
     CodeBits::LowByte},
    {"C",
     &ColorSpaceTable,
     RemoteParamColorSpace,
     -1,
     {{1, 1}, {2, 2}},
     Range(1, 2),
     CodeBits::All},
    {"E",
     &ExposureCompensationTable,
     RemoteParamExposureCompensation,
     255,
     {{1, 16}, {2, 13}, {3, 11}, {4, 8}, {5, 5}, {6, 3}, {7, 0}, {8, 253}, {10, 248}, {13, 240}},
     Range(1, 13),
     CodeBits::All},
    {"P",
     &PhotoEffectTable,
     RemoteParamPhotoEffect,
     99,
     {{1, 0}, {6, 5}},
     {1, 6},
     CodeBits::LowByte},
    {"Av",
     &ApertureScale,
     RemoteParamAv,
     0xFFFF,
     {{1, 8}, {2, 11}, {40, 112}},
     Range(1, 40),
     CodeBits::Low16Bits},
    {"Tv",
     &ShutterSpeedScale,
     RemoteParamTv,
     0xFFFF,
     {{1, 4}, {4, 21}, {59, 168}},
     Range(1, 59),
     CodeBits::Low16Bits},
    {"ISO",
     &SensitivityScale,
     RemoteParamISO,
     0xFF,
     {{1, 0}, {2, 64}, {20, 112}},
     Range(1, 20),
     CodeBits::LowByte},
};

class ParamConversionTest : public testing::TestWithParam<ConversionCase> {};

TEST_P(ParamConversionTest, KnownPairsConvertBothWays) {
  const ConversionCase& c = GetParam();
  for (const auto& [value, code] : c.pairs) {
    EXPECT_EQ(c.conversion->ToCode(value), code) << "value " << int{value};
    EXPECT_EQ(c.conversion->ToValue(static_cast<std::uint32_t>(code)), value) << "code " << code;
  }
}

// Every value of the kind's row either has a code that reads back as the
// same value, or gives the no-value code; values past the row give it too.
TEST_P(ParamConversionTest, EveryValueRoundTripsOrHasNoCode) {
  const ConversionCase& c = GetParam();
  EXPECT_EQ(c.conversion->NoValueCode(), c.noValueCode);
  const std::size_t rowLength = RowLength(c.kind);
  ASSERT_GT(rowLength, 1u);
  for (std::uint32_t value = 0; value < 128; ++value) {
    const std::int32_t code = c.conversion->ToCode(value);
    if (c.valuesWithCode.count(value) != 0) {
      ASSERT_LT(value, rowLength) << "value " << value << " lies outside the kind's row";
      EXPECT_NE(code, c.noValueCode) << "value " << value;
      EXPECT_EQ(c.conversion->ToValue(static_cast<std::uint32_t>(code)), value)
          << "value " << value;
    } else {
      EXPECT_EQ(code, c.noValueCode) << "value " << value;
    }
  }
}

// Reading: a code reads as a value whose code it is, or as 0; the no-value
// code reads as 0 too.
TEST_P(ParamConversionTest, EveryCodeReadsAsItsValueOrZero) {
  const ConversionCase& c = GetParam();
  std::set<std::uint32_t> valuesRead;
  for (std::uint32_t code = 0; code < 256; ++code) {
    const std::uint8_t value = c.conversion->ToValue(code);
    if (value != 0) {
      valuesRead.insert(value);
      if (!FallsToLowerValue(c.kind)) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.conversion->ToCode(value)), code) << code;
      }
    }
  }
  EXPECT_EQ(valuesRead, c.valuesWithCode);
  if (!FallsToLowerValue(c.kind)) {
    EXPECT_EQ(c.conversion->ToValue(static_cast<std::uint32_t>(c.noValueCode)), 0);
  }
}

// Only the bits that carry the code are looked at.
TEST_P(ParamConversionTest, ReadsOnlyTheCodeBits) {
  const ConversionCase& c = GetParam();
  const auto [value, code] = c.pairs.front();
  const auto raw = static_cast<std::uint32_t>(code);
  const std::uint8_t withHighBits = c.conversion->ToValue(raw | 0xFFFF0000u);
  const std::uint8_t withSecondByte = c.conversion->ToValue(raw | 0x0000FF00u);
  switch (c.bits) {
  case CodeBits::LowByte:
    EXPECT_EQ(withHighBits, value);
    EXPECT_EQ(withSecondByte, value);
    break;
  case CodeBits::Low16Bits:
    EXPECT_EQ(withHighBits, value);
    EXPECT_NE(withSecondByte, value);
    break;
  case CodeBits::All:
    EXPECT_EQ(withHighBits, 0);
    EXPECT_EQ(withSecondByte, 0);
    break;
  }
}

INSTANTIATE_TEST_SUITE_P(EOS, ParamConversionTest, testing::ValuesIn(Cases),
                         [](const testing::TestParamInfo<ConversionCase>& info) {
                           return info.param.name;
                         });

// The shared scales look at seven bits of a value, like every backend does.
TEST(EOSParamScales, PublicValuesCountSevenBits) {
  EXPECT_EQ(ApertureScale.ToCode(129), ApertureScale.ToCode(1));
  EXPECT_EQ(ShutterSpeedScale.ToCode(128 + 4), 21);
  EXPECT_EQ(SensitivityScale.ToCode(128), 0xFF);
}

} // namespace
} // namespace vostrel::eos
