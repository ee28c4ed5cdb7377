// The zoom description a PR camera delivers: read in the range form, refused
// when it is cut short or gives no range.

#include "powershot_pr/PRZoomDescription.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;

// Property 0xD02A, UINT16, settable, default 0, current 5, range 0 to 20
// in steps of 2.
std::vector<std::uint8_t> RangeDescription() {
  return {0x2A, 0xD0, 0x04, 0x00, 0x01, 0x00, 0x00, 0x05,
          0x00, 0x01, 0x00, 0x00, 0x14, 0x00, 0x02, 0x00};
}

TEST(PRZoomDescription, ReadsTheCurrentValueAndTheRange) {
  const std::vector<std::uint8_t> data = RangeDescription();
  const pr::PRZoomDescription zoom = pr::ReadZoomDescription(data.data(), data.size());
  EXPECT_EQ(zoom.Current, 5);
  EXPECT_EQ(zoom.Minimum, 0);
  EXPECT_EQ(zoom.Maximum, 20);
  EXPECT_EQ(zoom.Step, 2);
}

TEST(PRZoomDescription, RefusesAShortDescriptionAndOneWithoutRange) {
  const std::vector<std::uint8_t> data = RangeDescription();
  // The step's last byte is missing: nothing beyond the delivered bytes is read.
  EXPECT_EQ(MessageOf([&] { pr::ReadZoomDescription(data.data(), data.size() - 1); }),
            "The camera's zoom description is incomplete");
  EXPECT_EQ(MessageOf([&] { pr::ReadZoomDescription(data.data(), 0); }),
            "The camera's zoom description is incomplete");
  std::vector<std::uint8_t> enumeration = data;
  enumeration[9] = 0x02; // a list of values instead of a range
  EXPECT_EQ(MessageOf([&] { pr::ReadZoomDescription(enumeration.data(), enumeration.size()); }),
            "The camera's zoom description gives no zoom range");
}

} // namespace
} // namespace vostrel
