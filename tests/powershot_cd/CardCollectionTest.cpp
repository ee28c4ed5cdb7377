// The card collection of a CD camera through the controller: listing with
// and without thumbnails, downloading with progress, deleting with the list
// and the handles kept aligned, closing; picture numbers outside the list,
// names from the camera that look like paths, and a failure of each SDK call
// with everything the listing opened given back.

#include "SimulatedCD.h"

#include "core/JPEGImage.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr std::uint32_t Busy = 0x81;

std::string Failure(const std::string& function) {
  return function + " errorcode 0x00000081, Device busy";
}

const std::vector<std::string> ThreePictures = {
    "DCIM/100_PSHT/IMG_0001.JPG", "DCIM/100_PSHT/IMG_0002.JPG", "DCIM/101_PSHT/IMG_0003.JPG"};

std::vector<std::string> Names(const ImageListType& list) {
  std::vector<std::string> names;
  for (const ImageDataType& picture : list) {
    names.push_back(picture.Name);
  }
  return names;
}

std::vector<std::string> FolderContents(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    names.push_back(entry.path().lexically_relative(folder).generic_string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class CDCardCollection : public SimulatedCD {
protected:
  // One camera with these files on its card ("files" may hold detailed
  // entries), connected. The source is the one SDK reference held then.
  void UseCard(const nlohmann::json& files) {
    nlohmann::json scenario = nlohmann::json::parse(Scenario({CDCameraSpec{}}));
    scenario["cd"]["cameras"][0]["volumes"][0]["files"] = files;
    UseScenarioText(scenario.dump());
    ConnectFirstCamera();
    controller->OnGetPictureEvent = [this](std::int32_t percent) { progress.push_back(percent); };
    ASSERT_EQ(Sim().liveReferences(), 1u);
  }

  ImageListType Open(bool thumbnails) {
    return controller->OpenCameraCollection(temporary.path().string(), thumbnails);
  }

  std::vector<std::uint8_t> CardFile(const std::string& path) {
    return Sim().readFile(0, 0, path).value_or(std::vector<std::uint8_t>{});
  }

  std::string ThumbnailFile() const {
    return platform::joinPath(temporary.path().string(), "Thumb.jpg");
  }

  TempFolder temporary;
  TempFolder out;
  std::vector<std::int32_t> progress;
};

// ---------------------------------------------------------------------------
// Listing

TEST_F(CDCardCollection, ThumbnailsPassOneByOneThroughTheThumbnailFile) {
  UseCard(ThreePictures);
  ImageListType list = Open(true);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"));
  const std::string thumbnail =
      "CDGetImageData(data#, null, 0, 0, \"" + ThumbnailFile() + "\") = 0x00000000 -> ";
  std::size_t writes = 0;
  for (const std::string& call : Calls()) {
    writes += call.rfind(thumbnail, 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(writes, 3u);
  // Each picture keeps its own thumbnail; the file holds the last one.
  for (const ImageDataType& picture : list) {
    ASSERT_NE(picture.Thumbnail, nullptr) << picture.Name;
    EXPECT_EQ(picture.BackendData, 0);
  }
  EXPECT_NE(list[0].Thumbnail->Bytes(), list[1].Thumbnail->Bytes());
  EXPECT_NE(list[1].Thumbnail->Bytes(), list[2].Thumbnail->Bytes());
  EXPECT_EQ(platform::readFile(ThumbnailFile()), list[2].Thumbnail->Bytes());
  // Every image was closed and every data handle freed: the source and the
  // open enumeration remain.
  EXPECT_EQ(Sim().liveReferences(), 2u);
  controller->CloseCameraCollection(list);
  EXPECT_THAT(list, IsEmpty());
  EXPECT_EQ(Sim().liveReferences(), 1u);
}

TEST_F(CDCardCollection, WithoutThumbnailsNoImageIsOpenedAndNoFileWritten) {
  UseCard(ThreePictures);
  const ImageListType list = Open(false);
  ASSERT_EQ(list.size(), 3u);
  for (const ImageDataType& picture : list) {
    EXPECT_EQ(picture.Thumbnail, nullptr);
  }
  EXPECT_THAT(CalledFunctions(), Not(Contains("CDOpenImage")));
  EXPECT_THAT(FolderContents(temporary.path()), IsEmpty());
  EXPECT_THAT(CalledFunctions(),
              ElementsAre("CDEnumVolumeReset", "CDEnumVolumeNext", "CDGetVolumeInfo",
                          "CDEnumVolumeRelease", "CDEnumImageItemReset", "CDGetImageItemCount",
                          "CDEnumImageItemNext", "CDGetItemInfo", "CDEnumImageItemNext",
                          "CDGetItemInfo", "CDEnumImageItemNext", "CDGetItemInfo"));
}

TEST_F(CDCardCollection, ACardThatIsNotUsableIsReported) {
  UseScenario({CDCameraSpec{.cardKilobytes = 0}});
  ConnectFirstCamera();
  EXPECT_EQ(MessageOf([&] { Open(false); }), "OpenCameraCollection volume error");
  EXPECT_EQ(Sim().liveReferences(), 1u);
}

// The folder is taken as the host gives it: a trailing separator doubles.
TEST_F(CDCardCollection, TheThumbnailFileFollowsTheFolderAsGiven) {
  UseCard({ThreePictures[0]});
  const std::string folder = temporary.path().string() + platform::pathSeparator();
  controller->OpenCameraCollection(folder, true);
  EXPECT_THAT(Calls(), Contains(testing::HasSubstr(std::string("\"") + folder +
                                                   platform::pathSeparator() + "Thumb.jpg\"")));
}

// A second listing replaces the first: its enumeration is released first.
TEST_F(CDCardCollection, ASecondListingReleasesTheFirst) {
  UseCard(ThreePictures);
  Open(false);
  ImageListType list = Open(true);
  EXPECT_EQ(list.size(), 3u);
  EXPECT_EQ(Sim().liveReferences(), 2u);
  controller->CloseCameraCollection(list);
  EXPECT_EQ(Sim().liveReferences(), 1u);
  // Closing what is closed already makes no SDK call.
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            "CloseCameraCollection : No collection is open");
  EXPECT_THAT(Calls(), IsEmpty());
}

// Names come from the camera and reach the host as they are, cut to the
// record's 512 characters; no file is named after them.
TEST_F(CDCardCollection, NamesThatLookLikePathsWriteNothingOutsideTheChosenFiles) {
  const std::string longName(600, 'L');
  UseCard({{{"path", "DCIM/100_PSHT/IMG_0001.JPG"}, {"reportedName", "../../escape.JPG"}},
           {{"path", "DCIM/100_PSHT/IMG_0002.JPG"}, {"reportedName", "/etc/passwd"}},
           {{"path", "DCIM/100_PSHT/IMG_0003.JPG"}, {"reportedName", "..\\..\\C:\\boot.ini"}},
           {{"path", "DCIM/100_PSHT/IMG_0004.JPG"}, {"reportedName", longName}}});
  ImageListType list = Open(true);
  EXPECT_THAT(Names(list), ElementsAre("../../escape.JPG", "/etc/passwd", "..\\..\\C:\\boot.ini",
                                       longName.substr(0, 512)));
  for (std::int32_t number = 0; number < 4; ++number) {
    controller->GetPicture(number, false, out.file("picture-" + std::to_string(number) + ".jpg"));
  }
  EXPECT_THAT(FolderContents(temporary.path()), ElementsAre("Thumb.jpg"));
  EXPECT_THAT(FolderContents(out.path()),
              ElementsAre("picture-0.jpg", "picture-1.jpg", "picture-2.jpg", "picture-3.jpg"));
  EXPECT_EQ(platform::readFile(out.file("picture-2.jpg")), CardFile("DCIM/100_PSHT/IMG_0003.JPG"));
}

// A name ends at the record's terminator, whatever follows it, or at the end
// of its field when the camera fills the field without one; a record the SDK
// did not fill gives no name at all.
TEST_F(CDCardCollection, ANameEndsAtItsTerminatorOrWithItsField) {
  const std::string wholeField(512, 'F');
  const std::string oneShort(511, 'S');
  UseCard({{{"path", "DCIM/100_PSHT/IMG_0001.JPG"},
            {"reportedName", std::string("IMG_0001.JPG\0IMG_9999.JPG~garbage", 33)}},
           {{"path", "DCIM/100_PSHT/IMG_0002.JPG"}, {"reportedName", wholeField}},
           {{"path", "DCIM/100_PSHT/IMG_0003.JPG"}, {"reportedName", oneShort}},
           "DCIM/100_PSHT/IMG_0004.JPG"});
  EXPECT_THAT(Names(Open(false)),
              ElementsAre("IMG_0001.JPG", wholeField, oneShort, "IMG_0004.JPG"));

  // The third record is not filled: the listing fails rather than naming the
  // picture after whatever the record held.
  FailCall("CDGetItemInfo", Busy, 2);
  EXPECT_EQ(MessageOf([&] { Open(false); }), Failure("CDGetItemInfo"));
  EXPECT_EQ(Sim().liveReferences(), 1u);
}

// ---------------------------------------------------------------------------
// Downloading and deleting

TEST_F(CDCardCollection, APictureIsDownloadedWithItsProgress) {
  UseCard(ThreePictures);
  Open(false);
  Sim().clearCallLog();
  const std::string file = out.file("second.jpg");
  controller->GetPicture(1, false, file);
  EXPECT_EQ(platform::readFile(file), CardFile("DCIM/100_PSHT/IMG_0002.JPG"));
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_THAT(CalledFunctions(), ElementsAre("CDOpenImage", "CDGetPicture", "CDGetImageData",
                                             "CDFreeImageItem", "CDCloseImage"));
  EXPECT_THAT(Calls()[2], testing::StartsWith("CDGetImageData(data#, handler, " +
                                              std::to_string(controller->GetInstanceIndex()) +
                                              ", 3, \"" + out.path().string()));
  EXPECT_EQ(Sim().liveReferences(), 2u);
}

TEST_F(CDCardCollection, NumbersOutsideTheListAreRefusedBeforeAnySDKCall) {
  UseCard(ThreePictures);
  ImageListType list = Open(false);
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(3, false, out.file("x.jpg")); }),
            "Requested download of picture 3 but max is only 2");
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(-1, false, out.file("x.jpg")); }),
            "Requested download of picture -1 but picture numbers start at 0");
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, 3); }),
            "Not valid number of picture to delete");
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, -1); }),
            "Not valid number of picture to delete");
  EXPECT_THAT(Calls(), IsEmpty());
  // After closing, no picture of the list can be reached any more.
  controller->CloseCameraCollection(list);
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, out.file("x.jpg")); }),
            "Requested download of picture 0 but max is only -1");
  ImageListType stale(3);
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(stale, 0); }),
            "Not valid number of picture to delete");
  EXPECT_THAT(Calls(), IsEmpty());
}

TEST_F(CDCardCollection, DeletingKeepsTheListAndTheHandlesAligned) {
  UseCard(ThreePictures);
  ImageListType list = Open(true);
  const std::vector<std::uint8_t> third = list[2].Thumbnail->Bytes();
  const int shots = WorldCamera(0)["availableShots"];
  controller->DeletePicture(list, 0);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0002.JPG", "IMG_0003.JPG"));
  EXPECT_EQ(list[1].Thumbnail->Bytes(), third);
  EXPECT_EQ(WorldCamera(0)["availableShots"], shots + 1);
  EXPECT_FALSE(Sim().readFile(0, 0, "DCIM/100_PSHT/IMG_0001.JPG").has_value());
  // Number 0 is now the former number 1, with its own handle.
  controller->GetPicture(0, false, out.file("now-first.jpg"));
  EXPECT_EQ(platform::readFile(out.file("now-first.jpg")), CardFile("DCIM/100_PSHT/IMG_0002.JPG"));
  controller->DeletePicture(list, 1);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0002.JPG"));
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, 1); }),
            "Not valid number of picture to delete");
  EXPECT_EQ(Sim().listFiles(0).find("IMG_0003"), std::string::npos);
}

// ---------------------------------------------------------------------------
// A failure of each SDK call: its message, the host's list as it was, and
// every enumeration, image and data handle given back.

struct FailingCall {
  const char* EntryPoint;
  std::uint32_t Passing; // successful calls of the entry point before it
};

TEST_F(CDCardCollection, AFailureDuringTheListingGivesBackEverything) {
  const std::vector<FailingCall> failing = {{"CDEnumVolumeReset", 0},   {"CDEnumVolumeNext", 0},
                                            {"CDGetVolumeInfo", 0},     {"CDEnumImageItemReset", 0},
                                            {"CDGetImageItemCount", 0}, {"CDEnumImageItemNext", 1},
                                            {"CDGetItemInfo", 1},       {"CDOpenImage", 1},
                                            {"CDGetThumbnail", 1},      {"CDGetImageData", 1}};
  for (const FailingCall& call : failing) {
    SCOPED_TRACE(call.EntryPoint);
    UseCard(ThreePictures);
    // A listing made before stays the host's.
    ImageListType list = Open(false);
    FailCall(call.EntryPoint, Busy, call.Passing);
    EXPECT_EQ(MessageOf([&] { list = Open(true); }), Failure(call.EntryPoint));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(Sim().liveReferences(), 1u);
    // Its pictures went with the enumeration released for the new listing.
    EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, out.file("x.jpg")); }),
              "Requested download of picture 0 but max is only -1");
    // The camera works again once the failure is over.
    Sim().clearFailures();
    list = Open(true);
    EXPECT_EQ(list.size(), 3u);
    controller->CloseCameraCollection(list);
    EXPECT_EQ(Sim().liveReferences(), 1u);
  }
}

TEST_F(CDCardCollection, AFailedDownloadOrDeletionLeavesTheCollectionAsItWas) {
  const std::vector<FailingCall> downloads = {
      {"CDOpenImage", 0}, {"CDGetPicture", 0}, {"CDGetImageData", 0}};
  for (const FailingCall& call : downloads) {
    SCOPED_TRACE(call.EntryPoint);
    UseCard(ThreePictures);
    const ImageListType list = Open(false);
    FailCall(call.EntryPoint, Busy, call.Passing);
    EXPECT_EQ(MessageOf([&] { controller->GetPicture(1, false, out.file("x.jpg")); }),
              Failure(call.EntryPoint));
    EXPECT_EQ(Sim().liveReferences(), 2u);
    controller->GetPicture(1, false, out.file("x.jpg"));
    EXPECT_EQ(platform::readFile(out.file("x.jpg")), CardFile("DCIM/100_PSHT/IMG_0002.JPG"));
  }

  UseCard(ThreePictures);
  ImageListType list = Open(false);
  FailCall("CDDeleteImage", Busy);
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, 0); }), Failure("CDDeleteImage"));
  EXPECT_EQ(list.size(), 3u);
  controller->DeletePicture(list, 2);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0001.JPG", "IMG_0002.JPG"));

  // A close the SDK refuses ends the collection all the same, with the list
  // empty; it is not released twice.
  FailCall("CDEnumImageItemRelease", Busy);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            Failure("CDEnumImageItemRelease"));
  EXPECT_THAT(list, IsEmpty());
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, out.file("x.jpg")); }),
            "Requested download of picture 0 but max is only -1");
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            "CloseCameraCollection : No collection is open");
  EXPECT_THAT(Calls(), IsEmpty());
}

} // namespace
} // namespace vostrel::test
