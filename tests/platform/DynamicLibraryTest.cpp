// Loading libraries by name, from the own module's folder first.

#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vostrel::platform {
namespace {

constexpr const char* ProbeName = "PLATFORMPROBE.DLL";

// Exported functions come back as addresses; call them through their type.
template <typename Function>
Function* asFunction(void* address) {
  Function* function = nullptr;
  static_assert(sizeof(function) == sizeof(address));
  std::memcpy(&function, &address, sizeof(address));
  return function;
}

// Runs a test with another working folder, so that nothing is found there.
class ScopedWorkingFolder {
public:
  explicit ScopedWorkingFolder(const std::filesystem::path& folder)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~ScopedWorkingFolder() { std::filesystem::current_path(previous_); }

private:
  std::filesystem::path previous_;
};

TEST(DynamicLibrary, BareNameIsFoundInTheOwnModuleFolder) {
  ScopedWorkingFolder elsewhere(temporaryFolder());
  const auto library = DynamicLibrary::open(ProbeName);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->path(), joinPath(ownModuleFolder(), ProbeName));

  auto* twicePlusOne = asFunction<int(int)>(library->symbol("PlatformProbeTwicePlusOne"));
  ASSERT_NE(twicePlusOne, nullptr);
  EXPECT_EQ(twicePlusOne(20), 41);
  EXPECT_EQ(library->symbol("PlatformProbeNotExported"), nullptr);

  // The same library by its full path is loaded as given.
  const auto byPath = DynamicLibrary::open(library->path());
  ASSERT_NE(byPath, nullptr);
  EXPECT_EQ(byPath->path(), library->path());
}

TEST(DynamicLibrary, PlainExportNameDropsOnlyAStdcallDecoration) {
  EXPECT_EQ(plainExportName("_CDGetReleaseControlFaculty@8"), "CDGetReleaseControlFaculty");
  EXPECT_EQ(plainExportName("_F@12"), "F");
  for (const char* name : {"CDStartSDK", "_CDStart", "CDStart@8", "_@8", "_F@", "_F@8x", "@8"}) {
    EXPECT_EQ(plainExportName(name), name);
  }
}

TEST(DynamicLibrary, MissingLibraryGivesNull) {
  EXPECT_EQ(DynamicLibrary::open("NOSUCHSDK.DLL"), nullptr);
  EXPECT_EQ(DynamicLibrary::open(""), nullptr);
  // A name with a folder is taken as it is, not searched elsewhere.
  EXPECT_EQ(DynamicLibrary::open(joinPath(temporaryFolder(), ProbeName)), nullptr);
}

TEST(DynamicLibrary, OwnModuleIsTheLibraryThatHoldsThePlatformLayer) {
  const std::string folder = ownModuleFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), pathSeparator());
  EXPECT_TRUE(directoryExists(folder));

  const std::string moduleFolder = joinPath(folder, "platform-module");
  const auto module = DynamicLibrary::open(joinPath(moduleFolder, "PLATFORMMODULE.DLL"));
  ASSERT_NE(module, nullptr);
  auto* reportFolder = asFunction<const char*()>(module->symbol("PlatformModuleFolder"));
  ASSERT_NE(reportFolder, nullptr);
  EXPECT_TRUE(std::filesystem::equivalent(reportFolder(), moduleFolder));
}

#ifdef _WIN32
TEST(DynamicLibrary, ProcessErrorModeIsRestoredAfterLoading) {
  const UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(DynamicLibrary::open("NOSUCHSDK.DLL"), nullptr);
  EXPECT_NE(DynamicLibrary::open(ProbeName), nullptr);
  EXPECT_EQ(GetErrorMode(), static_cast<UINT>(SEM_FAILCRITICALERRORS));
  SetErrorMode(before);
}
#endif

} // namespace
} // namespace vostrel::platform
