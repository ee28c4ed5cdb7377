// The life of the CDSDK.DLL binding in one process: no library at first,
// then a library that lacks one of the exports. This program runs from a
// folder of its own, next to PartialCDSDK.dll, which it copies to CDSDK.DLL
// when the library is to appear.

#include "core/ECamException.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDSDKApi.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;

std::string LibraryPath() {
  return platform::joinPath(platform::ownModuleFolder(), "CDSDK.DLL");
}

// The message of the input/output error that the call raises, "" when it
// raises none; an ECamException is not such an error.
std::string InOutErrorOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const cdapi::EInOutError& error) {
    return error.what();
  } catch (const ECamException& error) {
    return "ECamException: " + error.message();
  }
  return "";
}

TEST(CDSDKBinding, LoadsOnceAndNeverCallsAnUnboundEntryPoint) {
  if (cdapi::CDSDKLoaded()) {
    GTEST_SKIP() << "needs a process in which the binding was not loaded yet";
  }
  if (platform::fileExists(LibraryPath())) {
    platform::removeFile(LibraryPath()); // left over from an earlier run
  }
  TCDSDK backend;
  std::vector<std::string> names = {"from before"};
  ConnectInfoType info;
  const std::string notLoaded = "CDSDK.DLL could not be loaded";

  // No library: every operation that loads raises the input/output error,
  // and each tries to load again.
  EXPECT_EQ(InOutErrorOf([] { cdapi::LoadCDSDK(); }), notLoaded);
  EXPECT_EQ(InOutErrorOf([] { cdapi::LoadCDSDK(); }), notLoaded);
  EXPECT_FALSE(cdapi::CDSDKLoaded());
  EXPECT_EQ(InOutErrorOf([&] { backend.StartSDK(); }), notLoaded);
  EXPECT_EQ(InOutErrorOf([&] { backend.OpenCameraEnumeration(names); }), notLoaded);
  EXPECT_TRUE(names.empty()); // cleared before the load
  EXPECT_EQ(InOutErrorOf([&] { backend.Connect(nullptr, 0, 0, info); }), notLoaded);
  // Operations that do not load never call an empty entry point; unchecked
  // calls are skipped. Nothing is connected, so Disconnect has nothing to end.
  EXPECT_EQ(MessageOf([&] { backend.Disconnect(); }), "");
  EXPECT_EQ(MessageOf([&] { backend.SetOwnerName("Ann"); }), notLoaded);
  EXPECT_NO_THROW(backend.CloseCameraEnumeration());
  EXPECT_TRUE(backend.RemoteSupported());
  EXPECT_FALSE(cdapi::CDSDKLoaded());

  // The library appears; the next start finds it and stops at the missing
  // export with an assertion naming the binding's unit.
  std::filesystem::copy_file(platform::joinPath(platform::ownModuleFolder(), "PartialCDSDK.dll"),
                             LibraryPath());
  const std::string assertion = MessageOf([&] { backend.StartSDK(); });
  EXPECT_EQ(assertion.rfind("Assertion failure (CDAPI.cpp, line ", 0), 0u) << assertion;
  EXPECT_NE(assertion.find("): CDSDK.DLL does not export CDEnumDevicePropertyNext"),
            std::string::npos)
      << assertion;
  EXPECT_TRUE(cdapi::CDSDKLoaded());

  // The entry points before the gap are bound, those after it stay empty
  // even where the library exports them.
  EXPECT_TRUE(cdapi::CDEnumDevicePropertyReset.bound());
  EXPECT_FALSE(cdapi::CDEnumDevicePropertyNext.bound());
  EXPECT_FALSE(cdapi::CDGetDevicePropertyData.bound());
  EXPECT_FALSE(cdapi::CDGetImagePropertyPart.bound());

  // Loading again resolves nothing: the assertion does not come back.
  EXPECT_EQ(MessageOf([&] { backend.StartSDK(); }), "");
  EXPECT_FALSE(cdapi::CDGetDevicePropertyData.bound());

  EXPECT_EQ(MessageOf([&] { backend.OpenCameraEnumeration(names); }), "");
  EXPECT_EQ(names, std::vector<std::string>{"PowerShot Partial"});
  EXPECT_EQ(MessageOf([&] { backend.Connect(nullptr, 0, 0, info); }),
            "CDSDK.DLL does not provide CDGetDevicePropertyCount");
  EXPECT_EQ(info.CameraModel, CamModNone);
  EXPECT_EQ(MessageOf([&] { backend.KeepCameraAwake(); }),
            "CDSDK.DLL does not provide CDGetDevicePropertyCount");
  EXPECT_TRUE(backend.RemoteSupported());
  EXPECT_EQ(MessageOf([&] { backend.Disconnect(); }), "");
  EXPECT_NO_THROW(backend.CloseCameraEnumeration());
}

} // namespace
} // namespace vostrel
