// The life of the PRSDK.DLL binding in one process: no library at first,
// then a library that lacks one of the exports. This program runs from a
// folder of its own, next to PartialPRSDK.dll, which it copies to PRSDK.DLL
// when the library is to appear.

#include "core/ECamException.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "powershot_pr/PRAPI.h"
#include "powershot_pr/PRSDKApi.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;

std::string LibraryPath() {
  return platform::joinPath(platform::ownModuleFolder(), "PRSDK.DLL");
}

TEST(PRSDKBinding, LoadsOnceAndNeverCallsAnUnboundEntryPoint) {
  if (prapi::PRSDKLoaded()) {
    GTEST_SKIP() << "needs a process in which the binding was not loaded yet";
  }
  if (platform::fileExists(LibraryPath())) {
    platform::removeFile(LibraryPath()); // left over from an earlier run
  }
  TPRSDK backend;
  std::vector<std::string> names;
  ConnectInfoType info;

  // No library: loading raises nothing and the binding stays unloaded, but
  // the SDK start and every operation refuse instead of calling an empty
  // entry point.
  EXPECT_NO_THROW(prapi::LoadPRSDK());
  EXPECT_FALSE(prapi::PRSDKLoaded());
  EXPECT_EQ(MessageOf([&] { backend.StartSDK(); }), "PRSDK.DLL could not be loaded");
  EXPECT_EQ(MessageOf([&] { backend.OpenCameraEnumeration(names); }),
            "PRSDK.DLL could not be loaded");
  EXPECT_NO_THROW(backend.Disconnect()); // no camera object to undo
  EXPECT_EQ(MessageOf([&] { backend.GetBodyID(); }), "PRSDK.DLL could not be loaded");
  EXPECT_NO_THROW(backend.CloseCameraEnumeration()); // nothing to finish
  EXPECT_FALSE(prapi::PRSDKLoaded());

  // The library appears; the next start finds it and stops at the missing
  // export with an assertion naming the binding's unit.
  std::filesystem::copy_file(platform::joinPath(platform::ownModuleFolder(), "PartialPRSDK.dll"),
                             LibraryPath());
  const std::string assertion = MessageOf([&] { backend.StartSDK(); });
  EXPECT_EQ(assertion.rfind("Assertion failure (PRAPI.cpp, line ", 0), 0u) << assertion;
  EXPECT_NE(assertion.find("): PRSDK.DLL does not export PR_GetDeviceInfo"), std::string::npos)
      << assertion;
  EXPECT_TRUE(prapi::PRSDKLoaded());

  // The entry points before the gap are bound, those after it stay empty
  // even where the library exports them.
  EXPECT_TRUE(prapi::PR_ClearEventCallBack.bound());
  EXPECT_FALSE(prapi::PR_GetDeviceInfo.bound());
  EXPECT_FALSE(prapi::PR_GetDevicePropValue.bound());
  EXPECT_FALSE(prapi::PR_RC_GetChangedReleaseParamesList.bound());

  // Loading again resolves nothing: the assertion does not come back and the
  // start reaches PR_StartSDK.
  EXPECT_NO_THROW(backend.StartSDK());
  EXPECT_FALSE(prapi::PR_GetDevicePropValue.bound());

  EXPECT_NO_THROW(backend.OpenCameraEnumeration(names));
  EXPECT_EQ(names, std::vector<std::string>{"PowerShot Partial"});
  EXPECT_EQ(MessageOf([&] { backend.Connect(nullptr, 0, 0, info); }),
            "PRSDK.DLL does not provide PR_GetDevicePropValue");
  EXPECT_EQ(info.CameraModel, CamModNone);
  EXPECT_EQ(MessageOf([&] { backend.KeepCameraAwake(); }),
            "PRSDK.DLL does not provide PR_GetDevicePropValue");
  EXPECT_NO_THROW(backend.Disconnect());
  EXPECT_NO_THROW(backend.CloseCameraEnumeration());
}

} // namespace
} // namespace vostrel
