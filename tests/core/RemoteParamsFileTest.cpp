// The remote parameter file's bytes.

#include "core/RemoteParamsFile.h"
#include "core/ECamException.h"

#include <gtest/gtest.h>

#include <vector>

namespace vostrel {
namespace {

RemoteParamsType Sample() {
  RemoteParamsType params{};
  params.CompQuality = 3;
  params.ImageMode = 6;
  params.DriveMode = 7;
  params.WhiteBalanceSetting = 13;
  params.WhiteBalanceKelvin = 5200;
  params.WBShiftAmberBlue = -9;
  params.PictureStyleContrast = -4;
  params.Beep = 2;
  return params;
}

TEST(RemoteParamsFile, BytesHoldTagAndRecordInItsLayout) {
  RemoteParamsType params = Sample();
  params.Reserved[0] = 0x55; // never written
  const std::vector<std::uint8_t> bytes = EncodeRemoteParamsFile(params);
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes[0], 44);
  EXPECT_EQ(bytes[1], 0);
  EXPECT_EQ(bytes[4 + 0], 3);
  EXPECT_EQ(bytes[4 + 6], 6); // image mode before drive mode
  EXPECT_EQ(bytes[4 + 7], 7);
  EXPECT_EQ(bytes[4 + 13], 13);
  EXPECT_EQ(bytes[4 + 14], 0);
  EXPECT_EQ(bytes[4 + 16], 0x50); // 5200 = 0x1450, little-endian
  EXPECT_EQ(bytes[4 + 17], 0x14);
  EXPECT_EQ(bytes[4 + 21], 0xF7);
  EXPECT_EQ(bytes[4 + 24], 0xFC);
  EXPECT_EQ(bytes[4 + 43], 2);
}

TEST(RemoteParamsFile, RecordReadsBackAndTrailingBytesAreIgnored) {
  std::vector<std::uint8_t> bytes = EncodeRemoteParamsFile(Sample());
  bytes.push_back(0xEE);
  const RemoteParamsType read = DecodeRemoteParamsFile(bytes, "p.dat");
  EXPECT_EQ(EncodeRemoteParamsFile(read), EncodeRemoteParamsFile(Sample()));
  EXPECT_EQ(read.WhiteBalanceKelvin, 5200);
  EXPECT_EQ(read.WBShiftAmberBlue, -9);
}

TEST(RemoteParamsFile, WrongTagOrShortFileIsRefusedWithTheFileName) {
  const std::string message =
      "Camera remote parameters file p.dat is of invalid data format. Please create a new file.";
  std::vector<std::uint8_t> wrongTag = EncodeRemoteParamsFile(Sample());
  wrongTag[0] = 45;
  std::vector<std::uint8_t> shortFile = EncodeRemoteParamsFile(Sample());
  shortFile.pop_back();
  for (const auto& bytes : {wrongTag, shortFile, std::vector<std::uint8_t>{}}) {
    try {
      DecodeRemoteParamsFile(bytes, "p.dat");
      ADD_FAILURE() << "accepted " << bytes.size() << " bytes";
    } catch (const ECamException& error) {
      EXPECT_EQ(error.message(), message);
    }
  }
}

} // namespace
} // namespace vostrel
