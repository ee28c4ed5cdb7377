// Environment, temporary folder, folders, files and path joining.

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vostrel::platform {
namespace {

// The variable that steers the system's temporary folder.
#ifdef _WIN32
constexpr const char* TemporaryVariable = "TMP";
#else
constexpr const char* TemporaryVariable = "TMPDIR";
#endif

// Sets an environment variable for one test and puts the old value back.
class ScopedVariable {
public:
  ScopedVariable(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)), previous_(environmentVariable(name_)) {
    setEnvironmentVariable(name_, value);
  }
  ~ScopedVariable() { setEnvironmentVariable(name_, previous_); }

private:
  std::string name_;
  std::optional<std::string> previous_;
};

// A fresh folder under the temporary folder, removed with its contents.
class FileSystemTest : public ::testing::Test {
protected:
  FileSystemTest() {
    static std::atomic<int> counter{0};
    root = joinPath(temporaryFolder(),
                    "vostrel-platform-" + std::to_string(++counter) + "-" +
                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root);
    createDirectories(root);
  }
  ~FileSystemTest() override {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  std::string root;
};

TEST(Environment, SetReadAndRemove) {
  const std::string name = "VOSTREL_PLATFORM_TEST_VARIABLE";
  setEnvironmentVariable(name, std::nullopt);
  EXPECT_EQ(environmentVariable(name), std::nullopt);

  const std::string longValue(1000, 'x');
  setEnvironmentVariable(name, longValue);
  EXPECT_EQ(environmentVariable(name), longValue);
  setEnvironmentVariable(name, "");
  EXPECT_EQ(environmentVariable(name), std::string());
  setEnvironmentVariable(name, std::nullopt);
  EXPECT_EQ(environmentVariable(name), std::nullopt);
  // Removing twice is not an error.
  EXPECT_NO_THROW(setEnvironmentVariable(name, std::nullopt));
}

TEST(TemporaryFolder, HasNoTrailingSeparator) {
  const std::string folder = temporaryFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), pathSeparator());
  EXPECT_TRUE(directoryExists(folder));
}

TEST_F(FileSystemTest, TemporaryFolderFollowsTheEnvironment) {
  ScopedVariable steer(TemporaryVariable, root + pathSeparator());
  EXPECT_EQ(temporaryFolder(), root);
}

TEST_F(FileSystemTest, CreateDirectoriesMakesEveryMissingParent) {
  const std::string nested = joinPath(joinPath(joinPath(root, "a"), "b"), "c");
  createDirectories(nested);
  EXPECT_TRUE(directoryExists(nested));
  EXPECT_FALSE(fileExists(nested));
  EXPECT_NO_THROW(createDirectories(nested)) << "an existing folder is fine";

  const std::string file = joinPath(root, "file");
  writeFile(file, {1});
  EXPECT_THROW(createDirectories(file), std::system_error);
  EXPECT_THROW(createDirectories(joinPath(file, "below")), std::system_error);
}

TEST_F(FileSystemTest, FilesRoundTripEveryByte) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 256; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(255 - i));
  }
  bytes.insert(bytes.end(), {'\r', '\n', '\n', 0x1A, 0});
  const std::string file = joinPath(root, "bytes.bin");
  writeFile(file, bytes);
  EXPECT_TRUE(fileExists(file));
  EXPECT_EQ(readFile(file), bytes);

  // Larger than any block the reader uses, and not a multiple of one.
  std::vector<std::uint8_t> large(100003);
  for (std::size_t i = 0; i < large.size(); ++i) {
    large[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
  }
  writeFile(file, large);
  EXPECT_EQ(readFile(file), large);

  writeFile(file, {7, 8});
  EXPECT_EQ(readFile(file), (std::vector<std::uint8_t>{7, 8})) << "rewriting truncates";
  writeFile(file, {});
  EXPECT_TRUE(readFile(file).empty());

  removeFile(file);
  EXPECT_FALSE(fileExists(file));
  EXPECT_NO_THROW(removeFile(file));
}

TEST_F(FileSystemTest, MissingFilesAndFoldersFail) {
  const std::string missingFolder = joinPath(root, "missing");
  EXPECT_THROW(readFile(joinPath(root, "none.bin")), std::system_error);
  EXPECT_THROW(readFile(root), std::system_error);
  EXPECT_THROW(writeFile(joinPath(missingFolder, "x.bin"), {1}), std::system_error);
  EXPECT_FALSE(directoryExists(missingFolder));
  EXPECT_FALSE(fileExists(root));
}

// Readers of a fixed format read no more than it holds, and nothing from
// what is not a regular file: a device never ends and a pipe may never answer.
TEST_F(FileSystemTest, TheStartOfARegularFileIsReadAndNothingElse) {
  const std::string file = joinPath(root, "long.bin");
  std::vector<std::uint8_t> bytes(10000);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 13);
  }
  writeFile(file, bytes);
  EXPECT_EQ(readFileStart(file, 48), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 48));
  EXPECT_EQ(readFileStart(file, 20000), bytes);
  EXPECT_TRUE(readFileStart(file, 0).empty());

  const auto messageOf = [](const std::string& path) {
    try {
      readFileStart(path, 48);
    } catch (const std::system_error& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(messageOf(root), root + " is not a regular file");
  const std::string missing = joinPath(root, "none.bin");
  EXPECT_EQ(messageOf(missing).rfind("cannot read " + missing + ": ", 0), 0u) << messageOf(missing);
#ifdef _WIN32
  EXPECT_EQ(messageOf("NUL"), "NUL is not a regular file");
#else
  EXPECT_EQ(messageOf("/dev/zero"), "/dev/zero is not a regular file");
  const std::string pipe = joinPath(root, "pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(messageOf(pipe), pipe + " is not a regular file");
#endif
}

TEST(JoinPath, PutsExactlyOneSeparatorBetween) {
  const std::string sep(1, pathSeparator());
  EXPECT_EQ(joinPath("folder", "name"), "folder" + sep + "name");
  EXPECT_EQ(joinPath("folder" + sep + sep, sep + "name"), "folder" + sep + "name");
  EXPECT_EQ(joinPath("", "name"), "name");
  EXPECT_EQ(joinPath(sep, "name"), sep + "name");
  EXPECT_EQ(withoutTrailingSeparator("a" + sep + "b" + sep), "a" + sep + "b");
  EXPECT_EQ(withoutTrailingSeparator(sep), sep);
#ifdef _WIN32
  EXPECT_EQ(joinPath("C:\\", "name"), "C:\\name");
  EXPECT_EQ(joinPath("C:/temp/", "name"), "C:/temp\\name");
  EXPECT_EQ(withoutTrailingSeparator("C:\\"), "C:\\");
#endif
}

} // namespace
} // namespace vostrel::platform
