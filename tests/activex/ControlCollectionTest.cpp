// The control's list of card pictures on simulated CD and EOS cameras: it
// follows the backend's collection when a listing or a close fails in the
// backend, so the host is never shown pictures that no call can reach.

#include "activex/VostrelActiveX.h"
#include "core/TempFolder.h"
#include "eos/SimulatedEOS.h"
#include "powershot_cd/SimulatedCD.h"
#include "sim/SimControl.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vostrel {
namespace {

using test::MessageOf;
using ::testing::HasSubstr;

constexpr std::uint32_t Busy = 0x81;

// One family with a card of three pictures: its library, its scenario and
// the calls of its backend that a failure is injected into.
struct CardFamily {
  const char* Name;
  const char* Library;
  TxCamModType Model;
  std::function<std::string()> Scenario;
  // A call of the listing made after the collection before was given up.
  const char* ListingCall;
  // The call that gives the collection back to the SDK at a close.
  const char* CloseCall;
};

std::vector<CardFamily> CardFamilies() {
  const std::vector<std::string> cdFiles = {
      "DCIM/100_PSHT/IMG_0001.JPG", "DCIM/100_PSHT/IMG_0002.JPG", "DCIM/100_PSHT/IMG_0003.JPG"};
  const std::vector<std::string> eosFiles = {"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG",
                                             "DCIM/100EOS/IMG_0003.JPG"};
  return {
      {"CD", "CDSDK.DLL", CamModPowerShot,
       [cdFiles] {
         test::CDCameraSpec camera;
         camera.files = cdFiles;
         return nlohmann::json{{"cd", {{"cameras", {test::CDFamily::Camera(camera)}}}}}.dump();
       },
       "CDGetImageItemCount", "CDEnumImageItemRelease"},
      {"EOS", "EDSDK.DLL", CamModEOS,
       [eosFiles] {
         test::EOSCameraSpec camera;
         camera.files = eosFiles;
         return test::EOSScenario({camera});
       },
       "EdsGetChildAtIndex", "EdsRelease"},
  };
}

class ControlCollectionTest : public ::testing::Test {
protected:
  void TearDown() override {
    Library("CDSDK.DLL").clearFailures();
    Library("EDSDK.DLL").clearFailures();
    if (control) {
      try {
        control->Disconnect();
      } catch (const ECamException&) {
      }
      control->CloseCameraEnumeration();
    }
  }

  static sim::SimControlClient& Library(const std::string& name) {
    return test::SimulatedLibrary(name);
  }

  // A new control connected to the family's one camera; the other libraries
  // have none.
  void UseFamily(const CardFamily& family) {
    if (control) {
      TearDown();
      control.reset();
    }
    for (const auto& [library, section] : test::SimulatedLibraries) {
      sim::SimControlClient& simulator = Library(library);
      simulator.clearFailures();
      simulator.setSynchronousCallbacks(true);
      simulator.loadScenario(
          library == std::string(family.Library)
              ? family.Scenario()
              : nlohmann::json{{section, {{"cameras", nlohmann::json::array()}}}}.dump());
    }
    control = std::make_unique<TVostrelActiveX>();
    control->OpenCameraEnumeration();
    control->Connect(family.Model, 0);
  }

  void Open() { control->OpenCameraCollection(folder.file(""), false); }

  test::TempFolder folder;
  std::unique_ptr<TVostrelActiveX> control;
};

TEST_F(ControlCollectionTest, AListingThatFailsAfterTheFirstShowsNoPictures) {
  for (const CardFamily& family : CardFamilies()) {
    SCOPED_TRACE(family.Name);
    UseFamily(family);
    Open();
    ASSERT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 3);

    Library(family.Library).injectFailure(family.ListingCall, Busy, 0, 1);
    EXPECT_THAT(MessageOf([&] { Open(); }), HasSubstr(family.ListingCall));
    // The backend gave up the first collection before it failed.
    EXPECT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 0);
    EXPECT_EQ(control->OpenCameraCollection_NameOfImage(0), "");
    EXPECT_THAT(MessageOf([&] { control->GetPicture(0, false, folder.file("x.jpg")); }),
                HasSubstr("Requested download of picture 0 but max is only -1"));
    EXPECT_EQ(MessageOf([&] { control->CloseCameraCollection(); }),
              "CloseCameraCollection : No collection is open");
    EXPECT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 0);

    // The next listing works and shows the card again.
    Open();
    EXPECT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 3);
    control->CloseCameraCollection();
    EXPECT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 0);
  }
}

TEST_F(ControlCollectionTest, ACloseTheCameraRefusesStillEndsTheList) {
  for (const CardFamily& family : CardFamilies()) {
    SCOPED_TRACE(family.Name);
    UseFamily(family);
    Open();
    ASSERT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 3);

    Library(family.Library).injectFailure(family.CloseCall, Busy, 0, 1);
    EXPECT_THAT(MessageOf([&] { control->CloseCameraCollection(); }), HasSubstr(family.CloseCall));
    EXPECT_EQ(control->OpenCameraCollection_GetNrOfPictures(), 0);
    EXPECT_EQ(MessageOf([&] { control->CloseCameraCollection(); }),
              "CloseCameraCollection : No collection is open");
  }
}

} // namespace
} // namespace vostrel
