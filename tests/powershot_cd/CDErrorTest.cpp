// The texts of the CD result codes and the message of a failed CD call.

#include "core/ECamException.h"
#include "powershot_cd/CDERRORCODES.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

namespace vostrel {
namespace {

using test::MessageOf;

TEST(CDErrorText, GivesTheTextOfEachGroupOfCodes) {
  struct Case {
    std::uint32_t code;
    const char* text;
  };
  const Case cases[] = {
      {0x0001, "Unimplemented"},
      {0x000A, "Mission subcomponent"},
      {0x000B, "Selection unavailable"},
      {0x0020, "File IO error"},
      {0x002E, "File naming not applicable"},
      {0x0040, "Directory not found"},
      {0x0044, "Directory not empty"},
      {0x0050, "Properties unavailable"},
      {0x0051, "Properties mismatch"},
      {0x0053, "Properties not loaded"},
      {0x0060, "Invalid parameter"},
      {0x0066, "Invalid sort function"},
      {0x0080, "Device not found"},
      {0x0081, "Device busy"},
      {0x0089, "Device CompactFlash gate changed"},
      {0x008D, "Device not released"},
      {0x00A0, "Stream IO error"},
      {0x00AC, "Stream end of stream"},
      {0x00C0, "Communication port in use"},
      {0x00C4, "Communication USB bus error"},
      {0x00D0, "USB device lock error"},
      {0x00D1, "USB device unlock error"},
      {0x00E0, "STI unknown error"},
      {0x00E4, "STI device not launched"},
      {0x00F0, "Enum not applicable"},
      {0x00F4, "Wait timeout error"},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(CDErrorText(c.code), c.text) << std::hex << c.code;
  }
}

TEST(CDErrorText, CodesBetweenAndAfterTheGroupsHaveNoTextOfTheirOwn) {
  for (std::uint32_t code :
       {0x0000u, 0x000Cu, 0x001Fu, 0x002Fu, 0x0045u, 0x0052u, 0x0054u, 0x0067u, 0x008Eu, 0x00ADu,
        0x00C5u, 0x00D2u, 0x00E5u, 0x00F5u, 0x1234u, 0xFFFFu}) {
    EXPECT_STREQ(CDErrorText(code), "Unkown error") << std::hex << code;
  }
}

TEST(CDErrorText, HasEightyFiveDistinctTexts) {
  std::set<std::string> texts;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    texts.insert(CDErrorText(code));
  }
  texts.erase("Unkown error");
  EXPECT_EQ(texts.size(), 85u);
}

TEST(CDErrorText, OnlyTheLowSixteenBitsSelectTheText) {
  EXPECT_STREQ(CDErrorText(0x80000081u), "Device busy");
  EXPECT_STREQ(CDErrorText(0x04010061u), "Invalid handle");
  EXPECT_STREQ(CDErrorText(0x00010000u), "Unkown error");
}

TEST(CheckCDError, ReturnsForSuccess) {
  EXPECT_EQ(MessageOf([] { CheckCDError(0, "CDOpenSource"); }), "");
}

TEST(CheckCDError, NamesTheFunctionTheWholeResultAndItsText) {
  EXPECT_EQ(MessageOf([] { CheckCDError(0x81, "CDOpenSource"); }),
            "CDOpenSource errorcode 0x00000081, Device busy");
  EXPECT_EQ(MessageOf([] { CheckCDError(0x80000081u, "CDOpenSource"); }),
            "CDOpenSource errorcode 0x80000081, Device busy");
  EXPECT_EQ(MessageOf([] { CheckCDError(0x00AB00F5u, "CDFormat"); }),
            "CDFormat errorcode 0x00AB00F5, Unkown error");
}

TEST(CheckCDError, ReportsTheDecoratedExportUnderItsPlainName) {
  EXPECT_EQ(MessageOf([] { CheckCDError(0x07, "_CDGetReleaseControlFaculty@8"); }),
            "CDGetReleaseControlFaculty errorcode 0x00000007, Not supported");
}

} // namespace
} // namespace vostrel
