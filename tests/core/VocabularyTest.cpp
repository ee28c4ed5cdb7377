// The supported-values table and the probe cache file.

#include "core/CamDefines.h"
#include "core/ProbeCache.h"
#include "platform/FileSystem.h"

#include "core/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <system_error>
#include <vector>

namespace vostrel {
namespace {

SupportedParamValuesType Pattern() {
  SupportedParamValuesType values{};
  for (std::size_t i = 0; i < values.Flags.size(); ++i) {
    values.Flags[i] = static_cast<std::uint8_t>(i % 3 == 0);
  }
  return values;
}

void WriteBytes(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> CacheBytes(std::int32_t tag, std::size_t tableBytes) {
  std::vector<std::uint8_t> bytes;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(tag) >> shift));
  }
  bytes.resize(4 + tableBytes, 1);
  return bytes;
}

TEST(SupportedParamValues, FlagsStayWithinTheRowOfTheirKind) {
  SupportedParamValuesType values{};
  values.SetSupported(RemoteParamTv, 59, true); // last byte of the Tv row
  values.SetSupported(RemoteParamTv, 60, true); // beyond the row: ignored
  values.SetSupported(RemoteParamTv, -1, true);
  values.SetSupported(RemoteParamWhiteBalanceKelvin, 0, true); // no row
  values.SetSupported(27, 0, true);                            // no such kind
  values.SetSupported(RemoteParamExposureCompensation, 0, true);

  std::vector<std::size_t> set;
  for (std::size_t i = 0; i < values.Flags.size(); ++i) {
    if (values.Flags[i] != 0) {
      set.push_back(i);
    }
  }
  EXPECT_EQ(set, (std::vector<std::size_t>{284, 285}));
  EXPECT_TRUE(values.IsSupported(RemoteParamTv, 59));
  EXPECT_FALSE(values.IsSupported(RemoteParamTv, 60));
  EXPECT_FALSE(values.IsSupported(RemoteParamTv, 58));
  EXPECT_TRUE(values.IsSupported(RemoteParamExposureCompensation, 0));
  EXPECT_FALSE(values.IsSupported(RemoteParamWhiteBalanceKelvin, 0));
}

TEST(SupportedParamValues, SingleFlagKindsIgnoreTheValue) {
  SupportedParamValuesType values{};
  values.SetSupported(RemoteParamPictureStyle, 5, true);
  EXPECT_EQ(values.Flags[147], 1);
  EXPECT_EQ(values.Flags[146], 0);
  EXPECT_TRUE(values.IsSupported(RemoteParamPictureStyle, 0));
  EXPECT_FALSE(values.IsSupported(RemoteParamWhiteBalanceShift, 0));
}

TEST(SupportedParamValues, ClearRowTouchesNoOtherKind) {
  SupportedParamValuesType values{};
  values.Flags.fill(1);
  values.ClearRow(RemoteParamImageMode);
  for (std::size_t i = 0; i < values.Flags.size(); ++i) {
    EXPECT_EQ(values.Flags[i], (i >= 56 && i < 93) ? 0 : 1) << i;
  }
}

class ProbeCacheTest : public ::testing::Test {
protected:
  test::TempFolder folder;
};

TEST_F(ProbeCacheTest, WrittenFileHoldsTagAndTableAndReadsBack) {
  const std::string name = folder.file("a/b/c/EOS Studio_0.cache");
  const SupportedParamValuesType written = Pattern();
  WriteProbeCache(name, written);

  const std::vector<std::uint8_t> bytes = platform::readFile(name);
  ASSERT_EQ(bytes.size(), 313u);
  EXPECT_EQ(bytes[0], 0x1D);
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(bytes[2], 0x00);
  EXPECT_EQ(bytes[3], 0x00);
  EXPECT_TRUE(std::equal(written.Flags.begin(), written.Flags.end(), bytes.begin() + 4));

  SupportedParamValuesType read{};
  EXPECT_TRUE(ReadProbeCache(name, read));
  EXPECT_EQ(read.Flags, written.Flags);
}

TEST_F(ProbeCacheTest, WritingReplacesAnOldFile) {
  const std::string name = folder.file("replace.cache");
  WriteBytes(name, std::vector<std::uint8_t>(1000, 7));
  WriteProbeCache(name, Pattern());
  EXPECT_EQ(platform::readFile(name).size(), 313u);
}

TEST_F(ProbeCacheTest, UnusableFilesAreNotCachedAndLeaveTheTableAlone) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const std::vector<Case> cases{
      {"wrong tag", CacheBytes(284, 309)},
      {"tag of the remote parameter file", CacheBytes(44, 309)},
      {"shorter than the tag", {0x1D, 0x01}},
      {"empty", {}},
      {"table cut short", CacheBytes(285, 308)},
      {"tag only", CacheBytes(285, 0)},
  };
  for (const Case& c : cases) {
    const std::string name = folder.file("unusable.cache");
    WriteBytes(name, c.bytes);
    SupportedParamValuesType values = Pattern();
    EXPECT_FALSE(ReadProbeCache(name, values)) << c.name;
    EXPECT_EQ(values.Flags, Pattern().Flags) << c.name;
  }
}

TEST_F(ProbeCacheTest, MissingFileIsNotCached) {
  SupportedParamValuesType values = Pattern();
  EXPECT_FALSE(ReadProbeCache(folder.file("none/missing.cache"), values));
  EXPECT_EQ(values.Flags, Pattern().Flags);
}

TEST_F(ProbeCacheTest, BytesAfterTheTableAreIgnored) {
  const std::string name = folder.file("long.cache");
  std::vector<std::uint8_t> bytes = CacheBytes(285, 309);
  bytes.push_back(9);
  WriteBytes(name, bytes);
  SupportedParamValuesType values{};
  EXPECT_TRUE(ReadProbeCache(name, values));
  EXPECT_EQ(values.Flags[308], 1);
}

TEST_F(ProbeCacheTest, FileLayerErrorsPropagate) {
  // A file stands where the cache folder would have to be created.
  const std::string blocker = folder.file("blocker");
  WriteBytes(blocker, {1});
  EXPECT_THROW(WriteProbeCache(folder.file("blocker/sub/x.cache"), Pattern()), std::system_error);
}

} // namespace
} // namespace vostrel
