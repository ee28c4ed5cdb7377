// Error texts of EDSDK results and the message of a failed SDK call.

#include "core/ECamException.h"
#include "eos/EDSDKERRORS.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace vostrel {
namespace {

struct TextCase {
  std::uint32_t code;
  const char* text;
};

// The first and last code of every group, codes in the gaps between groups,
// and codes whose high bits are set.
const TextCase TextCases[] = {
    {0x00000000, "Unkown error"},
    {0x00000001, "Unimplemented"},
    {0x0000000B, "Selection unavailable"},
    {0x0000000C, "Unkown error"},
    {0x0000001F, "Unkown error"},
    {0x00000020, "File IO error"},
    {0x0000002E, "File naming not applicable"},
    {0x0000002F, "Unkown error"},
    {0x00000040, "Directory not found"},
    {0x00000044, "Directory not empty"},
    {0x00000050, "Properties unavailable"},
    {0x00000051, "Properties mismatch"},
    {0x00000052, "Unkown error"},
    {0x00000053, "Properties not loaded"},
    {0x00000060, "Invalid parameter"},
    {0x00000066, "Invalid sort function"},
    {0x00000080, "Device not found"},
    {0x00000081, "Device busy"},
    {0x00000089, "Device CompactFlash gate changed"},
    {0x0000008D, "Device not released"},
    {0x0000008E, "Unkown error"},
    {0x000000A0, "Stream IO error"},
    {0x000000AC, "Stream end of stream"},
    {0x000000C0, "Communication port in use"},
    {0x000000C4, "Communication USB bus error"},
    {0x000000D0, "USB device lock error"},
    {0x000000D1, "USB device unlock error"},
    {0x000000E0, "STI unknown error"},
    {0x000000E4, "STI device not launched"},
    {0x000000F0, "Enum not applicable"},
    {0x000000F5, "PTP last generic error plus one"},
    {0x000000F6, "Unkown error"},
    {0x00002001, "Unkown error"},
    {0x00002003, "PTP session not open"},
    {0x00002008, "PTP invalid strage id"},
    {0x00002017, "PTP unknown vender code"},
    {0x00002019, "Unkown error"},
    {0x00002020, "PTP specification of destination unsupported"},
    {0x0000A001, "PTP unknown command"},
    {0x0000A005, "PTP operation refused"},
    {0x0000A006, "PTP lenc cover close"},
    {0x0000FFFF, "Unkown error"},
    {0xABCD0081, "Device busy"},
    {0x00010000, "Unkown error"},
    {0xFFFF2003, "PTP session not open"},
};

TEST(EdsErrorText, GivesTheTextOfTheLow16Bits) {
  for (const TextCase& c : TextCases) {
    EXPECT_STREQ(EdsErrorText(c.code), c.text) << std::hex << "code 0x" << c.code;
  }
}

std::string MessageOf(std::uint32_t result, const std::string& function) {
  try {
    CheckEdsError(result, function);
  } catch (const ECamException& e) {
    return e.message();
  }
  return "(nothing raised)";
}

TEST(CheckEdsError, RaisesNothingForSuccess) {
  EXPECT_NO_THROW(CheckEdsError(0, "EdsOpenSession"));
}

TEST(CheckEdsError, NamesTheFunctionTheWholeCodeAndTheText) {
  struct Case {
    std::uint32_t result;
    const char* function;
    const char* message;
  };
  const Case cases[] = {
      {0x00000081, "EdsOpenSession", "EdsOpenSession errorcode 0x00000081, Device busy"},
      {0x00002001, "EdsGetCameraList", "EdsGetCameraList errorcode 0x00002001, Unkown error"},
      {0x00000052, "EdsGetPropertyData", "EdsGetPropertyData errorcode 0x00000052, Unkown error"},
      {0xABCD0081, "EdsCloseSession", "EdsCloseSession errorcode 0xABCD0081, Device busy"},
      {0x8000A00F, "EdsSendCommand", "EdsSendCommand errorcode 0x8000A00F, Unkown error"},
      {0x0000002B, "EdsCreateFileStream",
       "EdsCreateFileStream errorcode 0x0000002B, File already exists"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MessageOf(c.result, c.function), c.message);
  }
}

} // namespace
} // namespace vostrel
