// The life of the EDSDK.DLL binding in one process: no library at first,
// then a library that lacks one of the exports. This program runs from a
// folder of its own, next to PartialEDSDK.dll, which it copies to EDSDK.DLL
// when the library is to appear.

#include "core/ECamException.h"
#include "eos/EDSDK.h"
#include "eos/EDSDKApi.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace vostrel {
namespace {

std::string MessageOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const ECamException& e) {
    return e.message();
  }
  return "(nothing raised)";
}

std::string LibraryPath() {
  return platform::joinPath(platform::ownModuleFolder(), "EDSDK.DLL");
}

TEST(EDSDKBinding, LoadsOnceAndNeverCallsAnUnboundEntryPoint) {
  if (platform::fileExists(LibraryPath())) {
    platform::removeFile(LibraryPath()); // left over from an earlier run
  }
  TEDSDK backend;
  std::vector<std::string> names;

  // No library: loading raises nothing and the binding stays unloaded, but
  // every operation refuses instead of calling an empty entry point.
  EXPECT_NO_THROW(edsdk::LoadEDSDK());
  EXPECT_FALSE(edsdk::EDSDKLoaded());
  EXPECT_EQ(MessageOf([&] { backend.StartSDK(); }), "EDSDK.DLL could not be loaded");
  EXPECT_EQ(MessageOf([&] { backend.OpenCameraEnumeration(names); }),
            "EDSDK.DLL could not be loaded");
  EXPECT_EQ(MessageOf([&] { backend.Disconnect(); }), "EDSDK.DLL could not be loaded");
  EXPECT_FALSE(edsdk::EDSDKLoaded());

  // The library appears; the next load finds it and stops at the missing
  // export with an assertion naming this unit.
  std::filesystem::copy_file(platform::joinPath(platform::ownModuleFolder(), "PartialEDSDK.dll"),
                             LibraryPath());
  const std::string assertion = MessageOf([&] { backend.StartSDK(); });
  EXPECT_EQ(assertion.rfind("Assertion failure (EDSDK.cpp, line ", 0), 0u) << assertion;
  EXPECT_NE(assertion.find("): EDSDK.DLL does not export EdsGetDeviceInfo"), std::string::npos)
      << assertion;
  EXPECT_TRUE(edsdk::EDSDKLoaded());

  // The entry points before the gap are bound, those after it stay empty even
  // where the library exports them.
  EXPECT_TRUE(edsdk::EdsGetCameraList.bound());
  EXPECT_FALSE(edsdk::EdsGetDeviceInfo.bound());
  EXPECT_FALSE(edsdk::EdsOpenSession.bound());
  EXPECT_FALSE(edsdk::EdsSetCameraStateEventHandler.bound());

  // Loading again resolves nothing: the assertion does not come back and
  // StartSDK reaches EdsInitializeSDK.
  EXPECT_NO_THROW(backend.StartSDK());
  EXPECT_FALSE(edsdk::EdsOpenSession.bound());

  EXPECT_EQ(MessageOf([&] { backend.OpenCameraEnumeration(names); }),
            "EDSDK.DLL does not provide EdsGetDeviceInfo");
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(MessageOf([&] { backend.Disconnect(); }), "EDSDK.DLL does not provide EdsCloseSession");
  EXPECT_NO_THROW(backend.CloseCameraEnumeration());
}

} // namespace
} // namespace vostrel
