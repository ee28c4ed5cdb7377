// A released picture arrives whole or not at all, for every family: a
// transfer that the SDK fails leaves neither a partial file under the name
// the host asked for nor a stray file beside it, an older file of that name
// stays as it was, and the next picture arrives whole.

#include "RigFixture.h"

#include "support/MessageOf.h"

#include <filesystem>
#include <iterator>

namespace vostrel::test {
namespace {

struct FamilyCase {
  const char* name;     // scenario section
  const char* library;  // simulated library
  std::int32_t model;   // camera family for Connect
  const char* transfer; // the SDK call that fetches a released picture
  bool marked;          // the family's cameras carry a body ID
  bool sdkWrites;       // the SDK writes the picture file (not the component)
};

void PrintTo(const FamilyCase& family, std::ostream* out) {
  *out << family.name;
}

const FamilyCase Families[] = {
    {"eos", "EDSDK.DLL", CamModEOS, "EdsDownload", true, true},
    {"pr", "PRSDK.DLL", CamModPowerShot, "PR_RC_GetReleasedData", true, false},
    {"cd", "CDSDK.DLL", CamModPowerShot, "CDGetReleasedData", false, true},
};

class NothingLost : public ::testing::TestWithParam<FamilyCase> {
protected:
  static sim::SimControlClient& Sim() { return SimulatedLibrary(GetParam().library); }

  void SetUp() override {
    // Only the family under test has a camera.
    for (const FamilyCase& family : Families) {
      SimulatedLibrary(family.library).loadScenario("{}");
      SimulatedLibrary(family.library).clearFailures();
    }
    Sim().loadScenario(RigScenario(GetParam().name, 1));
    Sim().setSynchronousCallbacks(true);
    // Released pictures are queued for the host once it listens.
    controller.OnRemoteEvent = [](RemoteEventCallbackType, const AdditionNotifyRemoteEventType&) {};
    controller.OpenCameraEnumeration();
    controller.Connect(GetParam().model, 0);
    controller.RemoteStart(ReleaseModeType::ReleaseModeOnlyToPC,
                           ReleaseDataKindType::ReleaseDataKindTakeOnlyPicture, false, "");
  }

  void TearDown() override {
    Sim().clearFailures();
    controller.Disconnect();
    controller.CloseCameraEnumeration();
  }

  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(
        std::filesystem::directory_iterator(folder.path()), std::filesystem::directory_iterator()));
  }

  platform::FakeClock clock;
  platform::ScopedClock useClock{clock};
  TempFolder folder;
  TVostrel controller;
};

TEST_P(NothingLost, AFailedTransferLeavesTheTargetAsItWasAndTheNextPictureArrivesWhole) {
  const std::string target = folder.file("picture.jpg");
  platform::writeFile(target, {'o', 'l', 'd'});
  controller.RemoteTakePicture();
  Sim().waitIdle();
  Sim().injectFailure(GetParam().transfer, 0x00000081, 0, 1);

  const std::string message =
      MessageOf([&] { controller.RemoteGetPicture(target, PictureTypeFull); });
  EXPECT_EQ(message.rfind(std::string(GetParam().transfer) + " errorcode 0x00000081", 0), 0u)
      << message;
  EXPECT_EQ(platform::readFile(target), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(FilesInFolder(), 1u);

  controller.RemoteTakePicture();
  Sim().waitIdle();
  controller.RemoteGetPicture(target, PictureTypeFull);
  const std::vector<std::uint8_t> picture = platform::readFile(target);
  const sim::ShotMark mark = MarkOfPicture(picture);
  if (GetParam().marked) {
    EXPECT_EQ(mark.bodyId, RigBodyIdBase);
  }
  EXPECT_GE(mark.shot, 1u);
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_P(NothingLost, AFileThatCannotBeCreatedIsReportedUnderTheHostsName) {
  const std::string target = folder.file("missing-folder/picture.jpg");
  controller.RemoteTakePicture();
  Sim().waitIdle();
  const std::string message =
      MessageOf([&] { controller.RemoteGetPicture(target, PictureTypeFull); });
  EXPECT_NE(message, "");
  EXPECT_EQ(message.find("~"), std::string::npos) << message;
  EXPECT_FALSE(platform::fileExists(target));
}

TEST_P(NothingLost, ADiskThatFillsUpMidTransferLeavesNeitherPartNorTemporaryFile) {
  if (!GetParam().sdkWrites) {
    GTEST_SKIP() << "the component writes this family's pictures itself";
  }
  const std::string target = folder.file("picture.jpg");
  controller.RemoteTakePicture();
  Sim().waitIdle();
  // Room for the first kilobyte of the picture only.
  Sim().limitDiskSpace(1024);
  const std::string message =
      MessageOf([&] { controller.RemoteGetPicture(target, PictureTypeFull); });
  Sim().limitDiskSpace(std::nullopt);
  EXPECT_EQ(message.rfind(std::string(GetParam().transfer) + " errorcode ", 0), 0u) << message;
  EXPECT_EQ(message.find("~"), std::string::npos) << message;
  EXPECT_FALSE(platform::fileExists(target));
  EXPECT_EQ(FilesInFolder(), 0u);

  // With room again, the next picture arrives whole.
  controller.RemoteTakePicture();
  Sim().waitIdle();
  controller.RemoteGetPicture(target, PictureTypeFull);
  EXPECT_GT(platform::readFile(target).size(), 1024u);
  MarkOfPicture(platform::readFile(target));
  EXPECT_EQ(FilesInFolder(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Families, NothingLost, ::testing::ValuesIn(Families),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace vostrel::test
