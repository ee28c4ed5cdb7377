// The card collection of an EOS camera through the controller: the order of
// the pictures, their thumbnails, downloads and deletes by picture number,
// and the references the collection holds, against the simulated EDSDK.DLL.

#include "CardFixture.h"

#include "core/JPEGImage.h"
#include "eos/CardWalkLimit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace vostrel::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::uint32_t Busy = 0x00000081;

using EOSCardCollection = CardTest;

TEST_F(EOSCardCollection, ListsEveryFolderDepthFirstAndGivesTheFoldersBack) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2", "DCIM/101EOS/IMG_0003.JPG",
           "DCIM/101EOS/NESTED/IMG_0004.JPG", "DCIM/101EOS/IMG_0005.JPG", "TOP.JPG"});
  const std::size_t references = Sim().liveReferences();

  ImageListType list = controller->OpenCameraCollection("", false);
  // The camera lists a folder's folders before its files.
  EXPECT_THAT(Names(list), ElementsAre("IMG_0001.JPG", "IMG_0002.CR2", "IMG_0004.JPG",
                                       "IMG_0003.JPG", "IMG_0005.JPG", "TOP.JPG"));
  for (const ImageDataType& picture : list) {
    EXPECT_EQ(picture.BackendData, 0);
    EXPECT_EQ(picture.Thumbnail, nullptr);
  }
  EXPECT_EQ(CallsTo("EdsCreateMemoryStream").size(), 0u);
  // The volume and one reference per picture stay held; the folders not.
  EXPECT_EQ(Sim().liveReferences(), references + 1 + list.size());

  controller->CloseCameraCollection(list);
  EXPECT_THAT(list, IsEmpty());
  EXPECT_EQ(Sim().liveReferences(), references);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            "CloseCameraCollection : No collection is open");
}

// Every SDK call of the walk is a round trip to the camera: the information
// of each file and folder is read once, whether thumbnails are wanted or not.
TEST_F(EOSCardCollection, ReadsTheInformationOfEachItemOnce) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2",
           "DCIM/101EOS/NESTED/IMG_0003.JPG", "TOP.JPG"});
  for (const bool thumbnails : {false, true}) {
    SCOPED_TRACE(thumbnails ? "with thumbnails" : "without thumbnails");
    Sim().clearCallLog();
    ImageListType list = controller->OpenCameraCollection("", thumbnails);
    EXPECT_THAT(Names(list),
                ElementsAre("IMG_0001.JPG", "IMG_0002.CR2", "IMG_0003.JPG", "TOP.JPG"));
    // The name each logged call read: 'EdsGetDirectoryItemInfo(item#) = 0x00000000 -> "DCIM", 0'.
    std::vector<std::string> read;
    for (const std::string& call : CallsTo("EdsGetDirectoryItemInfo")) {
      const std::size_t open = call.find('"');
      read.push_back(call.substr(open + 1, call.find('"', open + 1) - open - 1));
    }
    EXPECT_THAT(read, ElementsAre("DCIM", "100EOS", "IMG_0001.JPG", "IMG_0002.CR2", "101EOS",
                                  "NESTED", "IMG_0003.JPG", "TOP.JPG"));
    controller->CloseCameraCollection(list);
  }
}

TEST_F(EOSCardCollection, GivesThumbnailsToJPGFilesOnly) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2", "DCIM/100EOS/IMG_0003.jpg",
           "DCIM/100EOS/IMG_0004.JPEG", "DCIM/100EOS/IMG_0005.JPG"});
  const std::size_t references = Sim().liveReferences();
  ImageListType list = controller->OpenCameraCollection("", true);
  ASSERT_EQ(list.size(), 5u);
  const bool expected[] = {true, false, false, false, true};
  for (std::size_t i = 0; i < list.size(); ++i) {
    SCOPED_TRACE(list[i].Name);
    ASSERT_EQ(list[i].Thumbnail != nullptr, expected[i]);
    if (expected[i]) {
      EXPECT_EQ(list[i].Thumbnail->Width(), 160);
      EXPECT_EQ(list[i].Thumbnail->Height(), 120);
      // Saving writes the bytes read from the camera unchanged.
      list[i].Thumbnail->SaveToFile(Path("thumb.jpg"));
      EXPECT_EQ(platform::readFile(Path("thumb.jpg")), list[i].Thumbnail->Bytes());
    }
  }
  // A thumbnail is smaller than a read block: one read each.
  EXPECT_EQ(CallsTo("EdsRead").size(), 2u);
  EXPECT_EQ(CallsTo("EdsDownloadThumbnail").size(), 2u);
  // Every memory stream went back to the SDK.
  EXPECT_EQ(CallsTo("EdsCreateMemoryStream").size(), 5u);
  controller->CloseCameraCollection(list);
  EXPECT_EQ(Sim().liveReferences(), references);
}

// A camera's card can be nested deeper than any call stack; the walk keeps
// its place in a list of its own.
TEST_F(EOSCardCollection, ACardNestedTwentyThousandFoldersDeepIsListed) {
  std::string deep;
  for (int level = 0; level < 20000; ++level) {
    deep += "F/";
  }
  UseCard({deep + "IMG_0001.JPG", "DCIM/IMG_0002.JPG", deep + "IMG_0003.JPG"});
  const std::size_t references = Sim().liveReferences();

  ImageListType list = controller->OpenCameraCollection("", false);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0001.JPG", "IMG_0003.JPG", "IMG_0002.JPG"));
  // Every folder went back to the SDK on the way.
  EXPECT_EQ(Sim().liveReferences(), references + 1 + list.size());
  controller->GetPicture(1, false, Path("deep.jpg"));
  EXPECT_EQ(platform::readFile(Path("deep.jpg")), CardFile(deep + "IMG_0003.JPG"));
  controller->CloseCameraCollection(list);
  EXPECT_EQ(Sim().liveReferences(), references);

  // A failure deep down gives back every folder still open.
  FailCall("EdsGetChildAtIndex", Busy, 10000);
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraCollection("", false); }),
            "EdsGetChildAtIndex errorcode 0x00000081, Device busy");
  EXPECT_EQ(Sim().liveReferences(), references);
}

// A faulty SDK that reports a folder cycle or an endless child count: the
// walk lists no more files and folders than the bound (lowered here, so
// that the card stays small), gives back what it holds and hands out no
// list.
TEST_F(EOSCardCollection, TheWalkEndsAtTheBoundOfFilesAndFolders) {
  // DCIM, 100EOS and its three files, TOP.JPG: six entries.
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG", "DCIM/100EOS/IMG_0003.JPG",
           "TOP.JPG"});
  const std::size_t references = Sim().liveReferences();
  {
    const edsdk::ScopedMaximumCardEntries exactly(6);
    ImageListType list = controller->OpenCameraCollection("", false);
    EXPECT_EQ(list.size(), 4u);
    controller->CloseCameraCollection(list);
  }
  // One entry less fails at the folder whose count goes beyond the bound,
  // before any of its entries is listed.
  const edsdk::ScopedMaximumCardEntries tooFew(5);
  Sim().clearCallLog();
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraCollection("", false); }),
            "OpenCameraCollection: the card reports more than 5 files and folders");
  // The volume from the camera, DCIM from the volume, 100EOS from DCIM.
  EXPECT_EQ(CallsTo("EdsGetChildAtIndex").size(), 3u);
  EXPECT_EQ(Sim().liveReferences(), references);
  ImageListType none;
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(none); }),
            "CloseCameraCollection : No collection is open");
}

TEST(EOSCardWalkBound, IsAMillionEntriesUnlessLowered) {
  EXPECT_EQ(edsdk::MaximumCardEntries(), 1'000'000u);
  {
    const edsdk::ScopedMaximumCardEntries lowered(3);
    EXPECT_EQ(edsdk::MaximumCardEntries(), 3u);
  }
  EXPECT_EQ(edsdk::MaximumCardEntries(), edsdk::DefaultMaximumCardEntries);
}

// The thumbnail is copied up to the length its stream reports, so a stream
// whose reads never run out ends all the same, and a length no thumbnail has
// is refused before anything is read.
TEST_F(EOSCardCollection, AThumbnailStreamIsReadNoFurtherThanItsLength) {
  UseCard({{{"path", "DCIM/IMG_0001.JPG"}, {"thumbnailStream", "endless"}}, "DCIM/IMG_0002.JPG"});
  ImageListType list = controller->OpenCameraCollection("", true);
  ASSERT_EQ(list.size(), 2u);
  ASSERT_NE(list[0].Thumbnail, nullptr);
  EXPECT_EQ(list[0].Thumbnail->Width(), 160);
  // One read per thumbnail, of the length its stream reports.
  EXPECT_EQ(CallsTo("EdsRead").size(), 2u);
  controller->CloseCameraCollection(list);

  UseCard(
      {"DCIM/IMG_0001.JPG", {{"path", "DCIM/IMG_0002.JPG"}, {"thumbnailStream", "endlessHuge"}}});
  const std::size_t references = Sim().liveReferences();
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraCollection("", true); }),
            "The thumbnail is too large: the camera reports 4294967295 bytes");
  EXPECT_EQ(CallsTo("EdsRead").size(), 1u);
  EXPECT_EQ(Sim().liveReferences(), references);
}

TEST_F(EOSCardCollection, AFailedOpenHandsOutNoPictureNumbers) {
  struct Case {
    const char* function;
    std::uint32_t result;
    std::uint32_t passing;
    std::string message;
  };
  const Case cases[] = {
      // A thumbnail that is not JPEG data (here: none at all) is refused.
      {"EdsDownloadThumbnail", 0, 1, "The thumbnail is not a JPEG picture"},
      {"EdsRead", Busy, 1, "EdsRead errorcode 0x00000081, Device busy"},
      {"EdsGetChildAtIndex", Busy, 3, "EdsGetChildAtIndex errorcode 0x00000081, Device busy"},
      // The information of the top folder, of the first file and of the
      // second.
      {"EdsGetDirectoryItemInfo", Busy, 0,
       "EdsGetDirectoryItemInfo errorcode 0x00000081, Device busy"},
      {"EdsGetDirectoryItemInfo", Busy, 2,
       "EdsGetDirectoryItemInfo errorcode 0x00000081, Device busy"},
      {"EdsGetDirectoryItemInfo", Busy, 3,
       "EdsGetDirectoryItemInfo errorcode 0x00000081, Device busy"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG"});
    const std::size_t references = Sim().liveReferences();
    FailCall(c.function, c.result, c.passing);

    EXPECT_EQ(MessageOf([&] { controller->OpenCameraCollection("", true); }), c.message);
    EXPECT_EQ(Sim().liveReferences(), references);
    EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, Path("a.jpg")); }),
              "Requested download of picture 0 but max is only -1");
  }

  UseScenario({{.card = false}});
  ConnectFirstCamera();
  EXPECT_EQ(MessageOf([&] { controller->OpenCameraCollection("", false); }),
            "OpenCameraCollection : No volumes found");
}

// A reference the SDK refuses back stays with the SDK; the others go back,
// the list empties and the collection counts as closed.
TEST_F(EOSCardCollection, AFailedCloseStillClosesTheCollection) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG", "DCIM/100EOS/IMG_0003.JPG"});
  const std::size_t references = Sim().liveReferences();
  ImageListType list = controller->OpenCameraCollection("", false);
  Sim().clearCallLog();
  FailCall("EdsRelease", Busy, 1);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            "EdsRelease errorcode 0x00000081, Device busy");
  EXPECT_EQ(CallsTo("EdsRelease").size(), 4u);
  EXPECT_THAT(list, IsEmpty());
  EXPECT_EQ(Sim().liveReferences(), references + 1);
  EXPECT_EQ(MessageOf([&] { controller->CloseCameraCollection(list); }),
            "CloseCameraCollection : No collection is open");
  list = controller->OpenCameraCollection("", false);
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(EOSCardCollection, ASecondOpenReplacesTheFirstCollection) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG"});
  ImageListType first = controller->OpenCameraCollection("", false);
  const std::size_t references = Sim().liveReferences();
  ImageListType second = controller->OpenCameraCollection("", false);
  EXPECT_EQ(Names(second), Names(first));
  EXPECT_EQ(Sim().liveReferences(), references);

  controller->GetPicture(1, false, Path("b.jpg"));
  EXPECT_EQ(platform::readFile(Path("b.jpg")), CardFile("DCIM/100EOS/IMG_0002.JPG"));
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(2, false, Path("c.jpg")); }),
            "Requested download of picture 2 but max is only 1");
}

// ---------------------------------------------------------------------------
// Downloads and deletes

using EOSCardPictures = CardTest;

TEST_F(EOSCardPictures, DownloadsTheCardFilesUnchangedReportingProgress) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.CR2"});
  std::mutex progressLock;
  std::vector<std::int32_t> progress;
  std::vector<std::int32_t> otherProgress;
  controller->OnGetPictureEvent = [&](std::int32_t percent) {
    const std::lock_guard<std::mutex> lock(progressLock);
    progress.push_back(percent);
  };
  controller->OnRemoteGetPictureEvent = controller->OnRemoteTakePictureEvent =
      [&](std::int32_t percent) { otherProgress.push_back(percent); };
  const std::size_t references = Sim().liveReferences();
  ImageListType list = controller->OpenCameraCollection("", false);
  const platform::Milliseconds sleptBefore = clock.slept();

  controller->GetPicture(1, false, Path("raw.CR2"));
  EXPECT_EQ(platform::readFile(Path("raw.CR2")), CardFile("DCIM/100EOS/IMG_0002.CR2"));
  ASSERT_GE(progress.size(), 2u);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);
  EXPECT_THAT(otherProgress, IsEmpty());
  // Each report pauses 10 ms, on the test's clock.
  EXPECT_EQ(clock.slept() - sleptBefore,
            platform::Milliseconds(10 * static_cast<long>(progress.size())));

  // The same picture again writes the file again.
  platform::writeFile(Path("raw.CR2"), {1, 2, 3});
  controller->GetPicture(1, false, Path("raw.CR2"));
  EXPECT_EQ(platform::readFile(Path("raw.CR2")), CardFile("DCIM/100EOS/IMG_0002.CR2"));
  EXPECT_EQ(CallsTo("EdsDownloadComplete").size(), 2u);
  EXPECT_EQ(Sim().liveReferences(), references + 1 + list.size());
}

TEST_F(EOSCardPictures, RefusesBadNamesAndNumbersBeforeAnySDKCall) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG"});
  ImageListType list = controller->OpenCameraCollection("", false);
  Sim().clearCallLog();

  const std::string longName = Path(std::string(255, 'n'));
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, longName); }),
            "Filename " + longName + " too long");
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(2, false, Path("x.jpg")); }),
            "Requested download of picture 2 but max is only 1");
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(-1, false, Path("x.jpg")); }),
            "Requested download of picture -1 but picture numbers start at 0");
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, 2); }),
            "Requested delete of picture 2 but max is only 1");
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, -1); }),
            "Requested delete of picture -1 but picture numbers start at 0");
  EXPECT_THAT(Calls(), IsEmpty());
  EXPECT_EQ(list.size(), 2u);
}

TEST_F(EOSCardPictures, AFailedTransferStillEndsTheDownload) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG"});
  const std::size_t references = Sim().liveReferences();
  ImageListType list = controller->OpenCameraCollection("", false);
  FailCall("EdsDownload", Busy);

  EXPECT_EQ(MessageOf([&] { controller->GetPicture(0, false, Path("a.jpg")); }),
            "EdsDownload errorcode 0x00000081, Device busy");
  EXPECT_FALSE(platform::fileExists(Path("a.jpg")));
  EXPECT_EQ(CallsTo("EdsDownloadComplete").size(), 1u);
  EXPECT_EQ(Sim().liveReferences(), references + 2); // the volume and the picture

  controller->GetPicture(0, false, Path("a.jpg"));
  EXPECT_EQ(platform::readFile(Path("a.jpg")), CardFile("DCIM/100EOS/IMG_0001.JPG"));
}

TEST_F(EOSCardPictures, DeleteKeepsPictureNumbersAndListAligned) {
  UseCard({"DCIM/100EOS/IMG_0001.JPG", "DCIM/100EOS/IMG_0002.JPG", "DCIM/100EOS/IMG_0003.JPG",
           "DCIM/101EOS/IMG_0004.JPG", "DCIM/101EOS/IMG_0005.JPG"});
  ImageListType list = controller->OpenCameraCollection("", true);
  const std::size_t references = Sim().liveReferences();

  controller->DeletePicture(list, 2);
  EXPECT_THAT(Names(list),
              ElementsAre("IMG_0001.JPG", "IMG_0002.JPG", "IMG_0004.JPG", "IMG_0005.JPG"));
  EXPECT_FALSE(Sim().readFile(0, 0, "DCIM/100EOS/IMG_0003.JPG").has_value());
  EXPECT_EQ(Sim().liveReferences(), references - 1);

  // The former picture 3 is picture 2 now.
  controller->GetPicture(2, false, Path("moved.jpg"));
  EXPECT_EQ(platform::readFile(Path("moved.jpg")), CardFile("DCIM/101EOS/IMG_0004.JPG"));
  controller->DeletePicture(list, 3);
  EXPECT_THAT(Names(list), ElementsAre("IMG_0001.JPG", "IMG_0002.JPG", "IMG_0004.JPG"));
  EXPECT_EQ(MessageOf([&] { controller->GetPicture(3, false, Path("x.jpg")); }),
            "Requested download of picture 3 but max is only 2");

  // A refused delete changes nothing.
  FailCall("EdsDeleteDirectoryItem", Busy);
  EXPECT_EQ(MessageOf([&] { controller->DeletePicture(list, 0); }),
            "EdsDeleteDirectoryItem errorcode 0x00000081, Device busy");
  EXPECT_EQ(list.size(), 3u);
  controller->GetPicture(0, false, Path("first.jpg"));
  EXPECT_EQ(platform::readFile(Path("first.jpg")), CardFile("DCIM/100EOS/IMG_0001.JPG"));
}

} // namespace
} // namespace vostrel::test
