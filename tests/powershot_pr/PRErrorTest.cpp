// The texts of the PR response codes, the message of a failed PR call, and
// the reading of the device information and property descriptions the SDK
// delivers.

#include "powershot_pr/PRERROR.h"
#include "core/ECamException.h"
#include "powershot_pr/PRDeviceInfo.h"
#include "powershot_pr/PRParameterProbe.h"
#include "support/MessageOf.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(PRErrorText, OnlyTheLow16BitsChooseTheText) {
  EXPECT_STREQ(PRErrorText(0x2019), "Device busy");
  EXPECT_STREQ(PRErrorText(0xABCD2019), "Device busy");
  EXPECT_STREQ(PRErrorText(0x00010000), "Unkown error"); // low bits 0
  // Two groups share a text.
  EXPECT_STREQ(PRErrorText(0x0021), "Invalid parameter");
  EXPECT_STREQ(PRErrorText(0x201D), "Invalid parameter");
}

TEST(PRErrorText, TheTextsAreTheSDKsOwn) {
  EXPECT_STREQ(PRErrorText(0x0001), "Unimplemented");
  EXPECT_STREQ(PRErrorText(0x000A), "Mission subcomponent");
  EXPECT_STREQ(PRErrorText(0x0064), "Event callback exists");
  EXPECT_STREQ(PRErrorText(0x2000), "Undefined");
  EXPECT_STREQ(PRErrorText(0x2003), "Session not ppen");
  EXPECT_STREQ(PRErrorText(0x2020), "Specification of destination unsupported");
  EXPECT_STREQ(PRErrorText(0xA000), "Extension undefined");
  EXPECT_STREQ(PRErrorText(0xA002), "Extension memoey allocation failed");
  EXPECT_STREQ(PRErrorText(0xA00A), "Extension already exit");
}

TEST(PRErrorText, CodesWithoutATextAreUnknown) {
  for (const std::uint32_t code :
       {0x0000u, 0x000Cu, 0x0020u, 0x0060u, 0x0065u, 0x2001u, 0x2021u, 0x9FFFu, 0xA00Bu, 0xFFFFu}) {
    EXPECT_STREQ(PRErrorText(code), "Unkown error") << std::hex << code;
  }
}

TEST(CheckPRError, ZeroPassesAndAnythingElseNamesTheCallTheWholeCodeAndItsText) {
  EXPECT_EQ(MessageOf([] { CheckPRError(0, "PR_ConnectCamera"); }), "");
  EXPECT_EQ(MessageOf([] { CheckPRError(0x2019, "PR_ConnectCamera"); }),
            "PR_ConnectCamera errorcode 0x00002019, Device busy");
  EXPECT_EQ(MessageOf([] { CheckPRError(0x80012019, "PR_RC_Release"); }),
            "PR_RC_Release errorcode 0x80012019, Device busy");
  EXPECT_EQ(MessageOf([] { CheckPRError(0x2001, "PR_StartSDK"); }),
            "PR_StartSDK errorcode 0x00002001, Unkown error");
  EXPECT_EQ(MessageOf([] { CheckPRError(0x0000A00F, "PR_GetDeviceInfo"); }),
            "PR_GetDeviceInfo errorcode 0x0000A00F, Unkown error");
}

// ---------------------------------------------------------------------------
// Device information

void AppendU16(std::vector<std::uint8_t>& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  AppendU16(bytes, static_cast<std::uint16_t>(value));
  AppendU16(bytes, static_cast<std::uint16_t>(value >> 16));
}

void AppendArray(std::vector<std::uint8_t>& bytes, const std::vector<std::uint16_t>& values) {
  AppendU32(bytes, static_cast<std::uint32_t>(values.size()));
  for (std::uint16_t value : values) {
    AppendU16(bytes, value);
  }
}

// A dataset with a two-character vendor description.
std::vector<std::uint8_t> Dataset(const std::vector<std::uint16_t>& operations,
                                  const std::vector<std::uint16_t>& events,
                                  const std::vector<std::uint16_t>& properties) {
  std::vector<std::uint8_t> bytes;
  AppendU16(bytes, 100);
  AppendU32(bytes, 0x12345678);
  AppendU16(bytes, 100);
  bytes.push_back(2);
  AppendU16(bytes, 'V');
  AppendU16(bytes, 0);
  AppendU16(bytes, 0);
  AppendArray(bytes, operations);
  AppendArray(bytes, events);
  AppendArray(bytes, properties);
  return bytes;
}

TEST(PRDeviceInfo, ReadsTheOperationsAndOnRequestTheProperties) {
  const auto bytes = Dataset({0x1001, 0x9008}, {0xC008, 0xC009, 0xC00A}, {0xD02A, 0xD006});
  const PRDeviceInfoLists connect = ReadPRDeviceInfo(bytes.data(), bytes.size(), false);
  EXPECT_THAT(connect.Operations, ElementsAre(0x1001, 0x9008));
  EXPECT_TRUE(connect.Properties.empty());

  const PRDeviceInfoLists remote = ReadPRDeviceInfo(bytes.data(), bytes.size(), true);
  EXPECT_THAT(remote.Properties, ElementsAre(0xD02A, 0xD006));
}

TEST(PRDeviceInfo, NeverReadsBeyondTheDeliveredBytes) {
  const std::string message = "PR_GetDeviceInfo delivered incomplete device information";
  const auto bytes = Dataset({0x1001, 0x9008}, {0xC008}, {0xD02A});
  // The operations end 4 + 2 * 2 bytes after the 15-byte head.
  const std::size_t operationsEnd = 15 + 4 + 4;
  EXPECT_EQ(MessageOf([&] { ReadPRDeviceInfo(bytes.data(), operationsEnd, false); }), "");
  for (const std::size_t size :
       {std::size_t{0}, std::size_t{9}, std::size_t{14}, operationsEnd - 1}) {
    EXPECT_EQ(MessageOf([&] { ReadPRDeviceInfo(bytes.data(), size, false); }), message) << size;
  }
  EXPECT_EQ(MessageOf([&] { ReadPRDeviceInfo(bytes.data(), bytes.size() - 1, true); }), message);

  // A count far beyond the data.
  auto lying = Dataset({}, {}, {});
  lying[15] = 0xFF;
  lying[16] = 0xFF;
  lying[17] = 0xFF;
  lying[18] = 0xFF;
  EXPECT_EQ(MessageOf([&] { ReadPRDeviceInfo(lying.data(), lying.size(), false); }), message);

  // Twice this count is 2 in 32 bits: a check that multiplied it let it
  // through on a 32-bit build, with two bytes of data behind it.
  auto wrapping = Dataset({0x1001}, {}, {});
  wrapping[15] = 0x01;
  wrapping[18] = 0x80;
  EXPECT_EQ(MessageOf([&] { ReadPRDeviceInfo(wrapping.data(), wrapping.size(), false); }), message);
}

TEST(PRPropertyDescription, ListsTheEnumeratedValuesUpToTheEndOfTheData) {
  // Code, data type, get/set, default and current 16-bit value, form flag,
  // then the count and the values.
  std::vector<std::uint8_t> description{0x07, 0xD0, 0x04, 0x00, 0x01, 0x02, 0x00, 0x03, 0x00,
                                        0x02, 0x03, 0x00, 0x02, 0x00, 0x03, 0x00, 0x05, 0x00};
  EXPECT_THAT(pr::DescribedValues(description.data(), description.size(), 2), ElementsAre(2, 3, 5));
  // Fewer values than the count: the list ends with the data.
  EXPECT_THAT(pr::DescribedValues(description.data(), description.size() - 1, 2),
              ElementsAre(2, 3));
  description[10] = 0xFF;
  description[11] = 0xFF;
  EXPECT_THAT(pr::DescribedValues(description.data(), description.size(), 2), ElementsAre(2, 3, 5));
  EXPECT_THAT(pr::DescribedValues(description.data(), 11, 2), IsEmpty());
  EXPECT_THAT(pr::DescribedValues(description.data(), 0, 4), IsEmpty());
}

} // namespace
} // namespace vostrel
