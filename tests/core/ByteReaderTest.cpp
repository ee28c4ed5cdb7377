// The bounds of the reader of outside data, with the size type of a 64-bit
// and of a 32-bit build: counts that a camera chooses near half the size
// type's range must not wrap the checks around.

#include "core/ByteReader.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>

namespace vostrel {
namespace {

using test::MessageOf;

template <typename Size>
class ByteReaderBounds : public testing::Test {};

using SizeTypes = testing::Types<std::uint32_t, std::size_t>;
TYPED_TEST_SUITE(ByteReaderBounds, SizeTypes);

TYPED_TEST(ByteReaderBounds, ElementCountsNearHalfTheRangeAreRefused) {
  using Reader = BasicByteReader<TypeParam>;
  constexpr TypeParam Max = std::numeric_limits<TypeParam>::max();
  const std::array<std::uint8_t, 8> data{1, 2, 3, 4, 5, 6, 7, 8};
  Reader reader(data.data(), static_cast<TypeParam>(data.size()), "short");

  // 2 * (Max / 2 + 1) wraps to 0 and 2 * (Max / 2 + 2) to 2: a check that
  // multiplied would let both through.
  for (const TypeParam count : {TypeParam(Max / 2 + 1), TypeParam(Max / 2 + 2), TypeParam(Max / 2),
                                TypeParam(Max / 4 + 1), Max}) {
    EXPECT_FALSE(reader.HasElements(count, 2)) << count;
    EXPECT_EQ(MessageOf([&] { reader.RequireElements(count, 2); }), "short") << count;
  }
  EXPECT_FALSE(reader.HasElements(Max / 4 + 1, 4));
  EXPECT_FALSE(reader.Has(Max));
  EXPECT_TRUE(reader.HasElements(4, 2));
  EXPECT_FALSE(reader.HasElements(5, 2));
  EXPECT_EQ(reader.ElementsLeft(3), 2u);
}

TYPED_TEST(ByteReaderBounds, ReadsStopAtTheEndWithTheReadersMessage) {
  using Reader = BasicByteReader<TypeParam>;
  const std::array<std::uint8_t, 7> data{0x34, 0x12, 0x78, 0x56, 0x34, 0x12, 0xAB};
  Reader reader(data.data(), static_cast<TypeParam>(data.size()), "short");
  EXPECT_EQ(reader.U16(), 0x1234);
  EXPECT_EQ(reader.U32(), 0x12345678u);
  EXPECT_EQ(reader.Remaining(), 1u);
  EXPECT_EQ(MessageOf([&] { reader.U16(); }), "short");
  EXPECT_EQ(MessageOf([&] { reader.Skip(std::numeric_limits<TypeParam>::max()); }), "short");
  EXPECT_EQ(reader.Offset(), 6u) << "a refused read moves nothing";
  EXPECT_EQ(reader.U8(), 0xAB);
  EXPECT_EQ(MessageOf([&] { reader.U8(); }), "short");
}

} // namespace
} // namespace vostrel
