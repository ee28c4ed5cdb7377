// The shared conversions between public values and camera codes.

#include "core/CamLib.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vostrel {
namespace {

using namespace CamLib;

struct CodeCase {
  std::uint32_t code;
  std::uint32_t value;
};

// Every table code of a scale lies 3, 2, 3 above the one before, in turn.
template <typename ValueToCode>
void ExpectThirdsSteps(ValueToCode toCode, std::uint32_t first, std::uint32_t last) {
  const std::vector<std::uint32_t> steps{3, 2, 3};
  for (std::uint32_t value = first + 1; value <= last; ++value) {
    const auto step = static_cast<std::uint32_t>(toCode(value) - toCode(value - 1));
    EXPECT_EQ(step, steps[(value - first - 1) % 3]) << value;
  }
}

TEST(CamLibAperture, CodesBetweenTableCodesFallToTheLowerValue) {
  const std::vector<CodeCase> cases{{0, 0},    {7, 0},    {8, 1},    {9, 1},      {10, 1},
                                    {11, 2},   {12, 2},   {13, 3},   {16, 4},     {109, 39},
                                    {111, 39}, {112, 40}, {200, 40}, {0xFFFF, 40}};
  for (const CodeCase& c : cases) {
    EXPECT_EQ(ApertureCodeToValue(static_cast<std::uint16_t>(c.code)), c.value) << c.code;
  }
}

TEST(CamLibAperture, ValuesGiveTheirTableCodesAndBack) {
  EXPECT_EQ(ApertureValueToCode(1), 8);
  EXPECT_EQ(ApertureValueToCode(2), 11);
  EXPECT_EQ(ApertureValueToCode(3), 13);
  EXPECT_EQ(ApertureValueToCode(4), 16);
  EXPECT_EQ(ApertureValueToCode(39), 109);
  EXPECT_EQ(ApertureValueToCode(40), 112);
  ExpectThirdsSteps(ApertureValueToCode, 1, 40);
  for (std::uint32_t value = 1; value <= 40; ++value) {
    EXPECT_EQ(ApertureCodeToValue(ApertureValueToCode(value)), value);
  }
}

TEST(CamLibAperture, ValuesOutsideTheTableGiveTheInvalidCode) {
  EXPECT_EQ(ApertureValueToCode(0), InvalidCode16);
  EXPECT_EQ(ApertureValueToCode(41), InvalidCode16);
  EXPECT_EQ(ApertureValueToCode(127), InvalidCode16);
  EXPECT_EQ(ApertureValueToCode(128), InvalidCode16); // seven bits: 0
  EXPECT_EQ(ApertureValueToCode(129), 8);             // seven bits: 1
  EXPECT_EQ(ApertureValueToCode(168), 112);           // seven bits: 40
}

TEST(CamLibShutterSpeed, CodesMapToValues) {
  const std::vector<CodeCase> cases{{0, 0},    {3, 0},    {4, 1},    {15, 1},   {16, 2},
                                    {18, 2},   {19, 3},   {20, 3},   {21, 4},   {24, 5},
                                    {165, 58}, {167, 58}, {168, 59}, {300, 59}, {0xFFFF, 59}};
  for (const CodeCase& c : cases) {
    EXPECT_EQ(ShutterSpeedCodeToValue(static_cast<std::uint16_t>(c.code)), c.value) << c.code;
  }
}

TEST(CamLibShutterSpeed, ValuesGiveTheirTableCodesAndBack) {
  EXPECT_EQ(ShutterSpeedValueToCode(1), 4);
  EXPECT_EQ(ShutterSpeedValueToCode(2), 16);
  EXPECT_EQ(ShutterSpeedValueToCode(4), 21);
  EXPECT_EQ(ShutterSpeedValueToCode(59), 168);
  ExpectThirdsSteps(ShutterSpeedValueToCode, 2, 59);
  for (std::uint32_t value = 1; value <= 59; ++value) {
    EXPECT_EQ(ShutterSpeedCodeToValue(ShutterSpeedValueToCode(value)), value);
  }
  EXPECT_EQ(ShutterSpeedValueToCode(0), InvalidCode16);
  EXPECT_EQ(ShutterSpeedValueToCode(60), InvalidCode16);
  EXPECT_EQ(ShutterSpeedValueToCode(129), 4);
  EXPECT_EQ(ShutterSpeedValueToCode(132), 21);
}

TEST(CamLibSensitivity, OnlyTableCodesConvert) {
  const std::vector<CodeCase> cases{{0, 1},    {1, 0},   {63, 0},  {64, 2}, {65, 0},   {66, 0},
                                    {67, 3},   {68, 0},  {69, 4},  {72, 5}, {109, 19}, {110, 0},
                                    {112, 20}, {113, 0}, {120, 0}, {255, 0}};
  for (const CodeCase& c : cases) {
    EXPECT_EQ(SensitivityCodeToValue(static_cast<std::uint8_t>(c.code)), c.value) << c.code;
  }
}

TEST(CamLibSensitivity, ValuesGiveTheirTableCodesAndBack) {
  EXPECT_EQ(SensitivityValueToCode(1), 0);
  EXPECT_EQ(SensitivityValueToCode(2), 64);
  EXPECT_EQ(SensitivityValueToCode(20), 112);
  ExpectThirdsSteps(SensitivityValueToCode, 2, 20);
  for (std::uint32_t value = 1; value <= 20; ++value) {
    EXPECT_EQ(SensitivityCodeToValue(SensitivityValueToCode(value)), value);
  }
  EXPECT_EQ(SensitivityValueToCode(0), InvalidCode8);
  EXPECT_EQ(SensitivityValueToCode(21), InvalidCode8);
  EXPECT_EQ(SensitivityValueToCode(128), InvalidCode8);
  EXPECT_EQ(SensitivityValueToCode(129), 0);
  EXPECT_EQ(SensitivityValueToCode(130), 64);
}

} // namespace
} // namespace vostrel
