// The life of the EDSDK.DLL binding in one process: no library at first,
// then a library that lacks one of the exports. This program runs from a
// folder of its own, next to PartialEDSDK.dll, which it copies to EDSDK.DLL
// when the library is to appear. With that library in place, the property
// type checks of the backend meet the data types the test chooses.

#include "core/ECamException.h"
#include "eos/EDSDK.h"
#include "eos/EDSDKApi.h"
#include "platform/DynamicLibrary.h"
#include "platform/FileSystem.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace vostrel {
namespace {

using test::MessageOf;

std::string LibraryPath() {
  return platform::joinPath(platform::ownModuleFolder(), "EDSDK.DLL");
}

void CopyPartialLibrary() {
  std::filesystem::copy_file(platform::joinPath(platform::ownModuleFolder(), "PartialEDSDK.dll"),
                             LibraryPath());
}

TEST(EDSDKBinding, LoadsOnceAndNeverCallsAnUnboundEntryPoint) {
  if (edsdk::EDSDKLoaded()) {
    GTEST_SKIP() << "needs a process in which the binding was not loaded yet";
  }
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
  CopyPartialLibrary();
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

// What EdsGetPropertySize of the partial library reports.
struct ReportedProperty {
  EdsUInt32* dataType;
  EdsUInt32* size;
};

ReportedProperty PartialLibraryProperty() {
  if (!edsdk::EDSDKLoaded()) {
    if (!platform::fileExists(LibraryPath())) {
      CopyPartialLibrary();
    }
    MessageOf([] { edsdk::LoadEDSDK(); }); // stops at the missing export
  }
  static const auto library = platform::DynamicLibrary::open(LibraryPath());
  return {static_cast<EdsUInt32*>(library->symbol("PartialEDSDK_DataType")),
          static_cast<EdsUInt32*>(library->symbol("PartialEDSDK_Size"))};
}

TEST(EDSDKPropertyTypes, OnlyTheLowByteOfTheDataTypeCounts) {
  const ReportedProperty reported = PartialLibraryProperty();
  ASSERT_TRUE(reported.dataType && reported.size);
  TEDSDK backend;
  struct Case {
    EdsUInt32 dataType;
    bool accepted;
  };

  const Case timeCases[] = {{23, true},  {0x0117, true},  {0xFFFFFF17, true},
                            {22, false}, {0x1700, false}, {2, false}};
  for (const Case& c : timeCases) {
    *reported.dataType = c.dataType;
    *reported.size = 28;
    EXPECT_EQ(MessageOf([&] { backend.SetTimeInCamera(45413.5); }),
              c.accepted ? "" : "SetTimeInCamera : Date/Time is of incorrect type")
        << std::hex << c.dataType;
  }

  const Case ownerCases[] = {{2, true}, {0x0302, true}, {0x0200, false}, {8, false}, {23, false}};
  for (const Case& c : ownerCases) {
    *reported.dataType = c.dataType;
    *reported.size = 32;
    EXPECT_EQ(MessageOf([&] { backend.SetOwnerName("Ann"); }),
              c.accepted ? "" : "SetOwnerName : Owner name is of incorrect type")
        << std::hex << c.dataType;
  }
}

} // namespace
} // namespace vostrel
