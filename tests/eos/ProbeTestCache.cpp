// The probe cache: its file name, and how a cached model and image mode
// answer the probe without touching the camera.

#include "ProbeTestFixture.h"

#include "core/ProbeCache.h"

#include <gmock/gmock.h>

#include <string>
#include <vector>

namespace vostrel::eos::test {
namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;

// The default camera's shooting mode (code 2) is public image mode 18.
constexpr std::uint8_t DefaultImageMode = 18;

std::vector<std::uint8_t> CacheBytes(std::int32_t tag, const SupportedParamValuesType& values) {
  std::vector<std::uint8_t> bytes;
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(tag) >> shift));
  }
  bytes.insert(bytes.end(), values.Flags.begin(), values.Flags.end());
  return bytes;
}

TEST(ProbeCacheFileName, ModelNameModeAndImageModeInTheCacheFolder) {
  const std::string folder = platform::temporaryFolder();
  EXPECT_EQ(ProbeCacheFileName(folder, "EOS Studio", 3), platform::joinPath(folder, "EOS Studio Mode3"));
  EXPECT_EQ(ProbeCacheFileName(folder, "EOS Studio", 0), platform::joinPath(folder, "EOS Studio Mode0"));
  EXPECT_EQ(ProbeCacheFileName(folder, "EOS Studio", 255),
            platform::joinPath(folder, "EOS Studio Mode255"));
}

TEST(ProbeCacheFileName, AModelNameCannotLeaveTheFolderOrNameADevice) {
  struct Case {
    const char* model;
    const char* fileName;
  };
  const Case cases[] = {
      {"EOS Studio Mk.II", "EOS Studio Mk.II Mode3"},
      {"../up", "___up Mode3"},
      {"..\\..\\up", "______up Mode3"},
      {"...", "___ Mode3"},
      {"C:x*y?z\"<>|", "C_x_y_z____ Mode3"},
      {"tab\tline\nend\x7F", "tab_line_end_ Mode3"},
      {"NUL.cam", "_NUL.cam Mode3"},
      {"com1 .x", "_com1 .x Mode3"},
      {"COM10", "COM10 Mode3"},
      {"CONSOLE", "CONSOLE Mode3"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ProbeCacheFileName("cache", c.model, 3), platform::joinPath("cache", c.fileName))
        << c.model;
  }
}

TEST_F(ProbeTest, AProbedTableIsCachedAndAnswersTheNextProbeWithoutTouchingTheCamera) {
  Probe(cacheFolder);
  ASSERT_THAT(progress, SizeIs(16));
  const std::string cacheFile = ProbeCacheFileName(cacheFolder, modelName, DefaultImageMode);
  EXPECT_EQ(platform::readFile(cacheFile), CacheBytes(ProbeCacheFormatTag, table));
  // The image mode of the cache key is read before anything else.
  const std::vector<LoggedCall> probing = LoggedCalls();
  ASSERT_FALSE(probing.empty());
  EXPECT_EQ(probing.front().function, "EdsGetPropertyData");
  EXPECT_EQ(probing.front().property(), EdsPropShootingMode);

  const SupportedParamValuesType probed = table;
  table = SupportedParamValuesType{};
  Sim().clearCallLog();
  Probe(cacheFolder);
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(table.Flags, probed.Flags);
  const std::vector<LoggedCall> cached = LoggedCalls();
  ASSERT_THAT(cached, SizeIs(1));
  EXPECT_EQ(cached.front().function, "EdsGetPropertyData");
  EXPECT_EQ(cached.front().property(), EdsPropShootingMode);

  // Another image mode is another key: the camera is probed again.
  const EdsUInt32 manual = 3; // image mode 2
  UseCamera(DefaultModel, {{"ShootingMode", manual}});
  Probe(cacheFolder);
  EXPECT_THAT(progress, SizeIs(16));
  EXPECT_TRUE(platform::fileExists(ProbeCacheFileName(cacheFolder, modelName, 2)));
  EXPECT_THAT(FilesBelowRoot(), SizeIs(2));
}

TEST_F(ProbeTest, ACacheFileWithAnotherTagIsIgnoredAndWrittenAnew) {
  const std::string cacheFile = ProbeCacheFileName(cacheFolder, modelName, DefaultImageMode);
  SupportedParamValuesType everything{};
  everything.Flags.fill(1);
  platform::createDirectories(cacheFolder);
  platform::writeFile(cacheFile, CacheBytes(ProbeCacheFormatTag - 1, everything));

  Probe(cacheFolder);
  EXPECT_THAT(progress, SizeIs(16));
  EXPECT_EQ(Row(RemoteParamCompQuality), RowWith(RemoteParamCompQuality, {3, 4, 5}));
  EXPECT_EQ(platform::readFile(cacheFile), CacheBytes(ProbeCacheFormatTag, table));
}

TEST_F(ProbeTest, WithoutACacheFolderNoImageModeIsReadFirstAndNoFileWritten) {
  Probe();
  EXPECT_THAT(progress, SizeIs(16));
  // The first call is the saved settings' image quality; the image mode is
  // read once, for the saved settings.
  const std::vector<LoggedCall> calls = LoggedCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front().function, "EdsGetPropertyData");
  EXPECT_EQ(calls.front().property(), EdsPropImageQuality);
  std::size_t imageModeReads = 0;
  for (const LoggedCall& call : calls) {
    if (call.function == "EdsGetPropertyData" && call.property() == EdsPropShootingMode) {
      ++imageModeReads;
    }
  }
  EXPECT_EQ(imageModeReads, 1u);
  EXPECT_FALSE(platform::fileExists(ProbeCacheFileName("", modelName, DefaultImageMode)));
  EXPECT_FALSE(platform::directoryExists(cacheFolder));
}

TEST_F(ProbeTest, AHostileModelNameIsCachedInsideTheCacheFolder) {
  UseCamera("../..\\../esc:*?<>|\"\x01", nlohmann::json::object());
  Probe(cacheFolder);
  EXPECT_THAT(FilesBelowRoot(), ElementsAre("cache/_________esc________ Mode18"));

  // The cleaned name still serves as the key.
  table = SupportedParamValuesType{};
  Probe(cacheFolder);
  EXPECT_TRUE(progress.empty());
  EXPECT_EQ(Row(RemoteParamCompQuality), RowWith(RemoteParamCompQuality, {3, 4, 5}));
}

} // namespace
} // namespace vostrel::eos::test
