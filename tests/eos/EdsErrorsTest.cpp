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

// The ends of the groups, codes in the gaps between them, and codes whose
// high bits are set.
const TextCase TextCases[] = {
    {0x00000000, "Unkown error"},
    {0x00000001, "Unimplemented"},
    {0x0000000B, "Selection unavailable"},
    {0x0000000C, "Unkown error"},
    {0x0000002E, "File naming not applicable"},
    {0x00000044, "Directory not empty"},
    {0x00000052, "Unkown error"},
    {0x00000053, "Properties not loaded"},
    {0x00000066, "Invalid sort function"},
    {0x00000089, "Device CompactFlash gate changed"},
    {0x0000008E, "Unkown error"},
    {0x000000AC, "Stream end of stream"},
    {0x000000C4, "Communication USB bus error"},
    {0x000000D1, "USB device unlock error"},
    {0x000000E4, "STI device not launched"},
    {0x000000F5, "PTP last generic error plus one"},
    {0x00002001, "Unkown error"},
    {0x00002008, "PTP invalid strage id"},
    {0x00002020, "PTP specification of destination unsupported"},
    {0x0000A006, "PTP lenc cover close"},
    {0x0000FFFF, "Unkown error"},
    {0xABCD0081, "Device busy"},
    {0x00010000, "Unkown error"},
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
