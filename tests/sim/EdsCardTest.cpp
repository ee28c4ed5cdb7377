// The card of a simulated EOS camera through the SDK: the walk of volumes,
// folders and files, thumbnails and pictures with real JPEG content,
// deletion and formatting, and the SDK's streams.

#include "EdsTestSupport.h"

#include "platform/FileSystem.h"
#include "sim/world/Jpeg.h"
#include "sim/world/TestPattern.h"

#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace vostrel::sim::test {
namespace {

using EdsCardTest = EdsTest;

// Every file of a folder, depth first, as "path size" texts.
void walk(EdsBaseRef folder, const std::string& prefix, std::vector<std::string>& files) {
  EdsUInt32 count = 0;
  ASSERT_EQ(eds().EdsGetChildCount(folder, &count), EdsErrOK);
  for (EdsUInt32 i = 0; i < count; ++i) {
    EdsBaseRef child = nullptr;
    DirectoryItemInfoType info{};
    ASSERT_EQ(eds().EdsGetChildAtIndex(folder, static_cast<EdsInt32>(i), &child), EdsErrOK);
    ASSERT_EQ(eds().EdsGetDirectoryItemInfo(child, &info), EdsErrOK);
    if (info.isFolder == 1) {
      walk(child, prefix + info.fileName + "/", files);
    } else {
      files.push_back(prefix + info.fileName + " " + std::to_string(info.size));
    }
    EXPECT_EQ(eds().EdsRelease(child), EdsErrOK);
  }
}

TEST_F(EdsCardTest, WalksVolumesFoldersAndFilesInCardOrder) {
  EdsCameraRef studio = openCamera(0);
  EdsUInt32 volumes = 0;
  ASSERT_EQ(eds().EdsGetChildCount(studio, &volumes), EdsErrOK);
  ASSERT_EQ(volumes, 1u);
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(eds().EdsGetChildAtIndex(studio, 0, &volume), EdsErrOK);
  VolumeInfoType volumeInfo{};
  ASSERT_EQ(eds().EdsGetVolumeInfo(volume, &volumeInfo), EdsErrOK);
  EXPECT_STREQ(volumeInfo.volumeLabel, "CF");
  EXPECT_LT(volumeInfo.freeSpaceKilobytes, volumeInfo.maxCapacityKilobytes);

  std::vector<std::string> files;
  walk(volume, "", files);
  ASSERT_EQ(files.size(), 6u);
  const char* expected[] = {"DCIM/100EOSST/IMG_0001.JPG", "DCIM/100EOSST/IMG_0002.CR2",
                            "DCIM/100EOSST/IMG_0003.JPG", "DCIM/101EOSST/IMG_0004.JPG",
                            "DCIM/101EOSST/IMG_0005.JPG", "DCIM/101EOSST/IMG_0006.CR2"};
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(files[i].substr(0, files[i].find(' ')), expected[i]);
  }
  // The walk agrees with the simulator's own listing, sizes included.
  std::string listing;
  for (const std::string& file : files) {
    listing += file.substr(0, file.find(' ')) + "\t" + file.substr(file.find(' ') + 1) + "\n";
  }
  EXPECT_EQ(listing, control().listFiles(0));
  EXPECT_EQ(eds().EdsRelease(volume), EdsErrOK);
  EXPECT_EQ(eds().EdsRelease(studio), EdsErrOK);
  EXPECT_EQ(control().liveReferences(), 0u);
}

TEST_F(EdsCardTest, ParentsLeadBackToTheVolumeAndTheCamera) {
  EdsCameraRef studio = openCamera(0);
  EdsDirectoryItemRef file = item(studio, "DCIM/101EOSST/IMG_0004.JPG");
  EdsBaseRef folder = nullptr;
  EdsBaseRef top = nullptr;
  EdsBaseRef volume = nullptr;
  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetParent(file, &folder), EdsErrOK);
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(folder, &info), EdsErrOK);
  EXPECT_STREQ(info.fileName, "101EOSST");
  EXPECT_EQ(info.isFolder, 1u);
  ASSERT_EQ(eds().EdsGetParent(folder, &top), EdsErrOK);
  ASSERT_EQ(eds().EdsGetParent(top, &volume), EdsErrOK);
  VolumeInfoType volumeInfo{};
  EXPECT_EQ(eds().EdsGetVolumeInfo(volume, &volumeInfo), EdsErrOK);
}

TEST_F(EdsCardTest, PicturesAndThumbnailsAreJpegsOfTheirNumber) {
  EdsCameraRef studio = openCamera(0);
  EdsDirectoryItemRef picture = item(studio, "DCIM/100EOSST/IMG_0003.JPG");
  EdsStreamRef thumbnail = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &thumbnail), EdsErrOK);
  ASSERT_EQ(eds().EdsDownloadThumbnail(picture, thumbnail), EdsErrOK);
  const Rgb8Image small = decodeJpeg(streamBytes(thumbnail));
  EXPECT_EQ(small.width, 160);
  EXPECT_EQ(small.height, 120);

  DirectoryItemInfoType info{};
  ASSERT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrOK);
  EdsStreamRef full = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &full), EdsErrOK);
  ASSERT_EQ(eds().EdsDownload(picture, info.size, full), EdsErrOK);
  ASSERT_EQ(eds().EdsDownloadComplete(picture), EdsErrOK);
  const Bytes bytes = streamBytes(full);
  EXPECT_EQ(bytes, control().readFile(0, 0, "DCIM/100EOSST/IMG_0003.JPG"));
  const Rgb8Image image = decodeJpeg(bytes);
  ASSERT_EQ(image.width, 320);
  ASSERT_EQ(image.height, 240);
  // The corner shows the gradient's blue level of picture 3, not of 4.
  EXPECT_NEAR(image.at(2, 2, 2), patternBlue(3), 6);
  EXPECT_GT(std::abs(image.at(2, 2, 2) - patternBlue(4)), 20);
  // A picture stays on the card after its transfer.
  EXPECT_NE(control().listFiles(0).find("IMG_0003.JPG"), std::string::npos);
  EXPECT_EQ(eds().EdsDownload(picture, info.size + 1, full), EdsErrInvalidLength);
}

TEST_F(EdsCardTest, DeletingAndFormattingChangeTheCardAndTheShotsLeft) {
  EdsCameraRef studio = openCamera(0);
  EdsDirectoryItemRef picture = item(studio, "DCIM/100EOSST/IMG_0001.JPG");
  ASSERT_EQ(eds().EdsDeleteDirectoryItem(picture), EdsErrOK);
  EXPECT_EQ(property32(studio, EdsPropAvailableShots), 313u);
  EXPECT_EQ(control().listFiles(0).find("IMG_0001.JPG"), std::string::npos);
  DirectoryItemInfoType info{};
  EXPECT_EQ(eds().EdsGetDirectoryItemInfo(picture, &info), EdsErrFileNotFound);
  EXPECT_EQ(eds().EdsDeleteDirectoryItem(picture), EdsErrFileNotFound);
  EXPECT_EQ(eds().EdsRelease(picture), EdsErrOK);

  EdsDirectoryItemRef survivor = item(studio, "DCIM/101EOSST/IMG_0005.JPG");
  EdsVolumeRef volume = nullptr;
  ASSERT_EQ(eds().EdsGetChildAtIndex(studio, 0, &volume), EdsErrOK);
  ASSERT_EQ(eds().EdsFormatVolume(volume), EdsErrOK);
  EXPECT_EQ(control().listFiles(0), "");
  EdsUInt32 count = 99;
  ASSERT_EQ(eds().EdsGetChildCount(volume, &count), EdsErrOK);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(property32(studio, EdsPropAvailableShots), 318u); // 312 + the six pictures
  EXPECT_EQ(eds().EdsGetDirectoryItemInfo(survivor, &info), EdsErrFileNotFound);
}

TEST_F(EdsCardTest, MemoryStreamsReadWriteAndSeek) {
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(16, &stream), EdsErrOK);
  EdsUInt32 length = 99;
  ASSERT_EQ(eds().EdsGetLength(stream, &length), EdsErrOK);
  EXPECT_EQ(length, 0u);
  EdsUInt32 written = 0;
  ASSERT_EQ(eds().EdsWrite(stream, 5, "hello", &written), EdsErrOK);
  ASSERT_EQ(eds().EdsSeek(stream, -2, EdsSeekEnd), EdsErrOK);
  char buffer[8] = {};
  EdsUInt32 read = 0;
  ASSERT_EQ(eds().EdsRead(stream, 8, buffer, &read), EdsErrOK);
  EXPECT_EQ(read, 2u);
  EXPECT_STREQ(buffer, "lo");
  // At the end a read delivers nothing, without an error.
  ASSERT_EQ(eds().EdsRead(stream, 1, buffer, &read), EdsErrOK);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(eds().EdsSeek(stream, -1, EdsSeekBegin), EdsErrStreamSeek);
  EXPECT_EQ(eds().EdsSeek(stream, 0, 7), EdsErrInvalidParameter);
  void* start = nullptr;
  ASSERT_EQ(eds().EdsGetPointer(stream, &start), EdsErrOK);
  EXPECT_EQ(std::memcmp(start, "hello", 5), 0);

  EdsStreamRef copy = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &copy), EdsErrOK);
  ASSERT_EQ(eds().EdsSeek(stream, 1, EdsSeekBegin), EdsErrOK);
  ASSERT_EQ(eds().EdsCopyData(stream, 3, copy), EdsErrOK);
  EXPECT_EQ(streamBytes(copy), (Bytes{'e', 'l', 'l'}));
  EXPECT_EQ(eds().EdsCopyData(stream, 3, copy), EdsErrStreamEndOfStream);
}

TEST_F(EdsCardTest, FileStreamsFollowDispositionAndAccess) {
  const std::string path = temporaryFile("stream.bin");
  platform::writeFile(path, {'o', 'l', 'd', '!'});
  EdsStreamRef stream = nullptr;
  EXPECT_EQ(eds().EdsCreateFileStream(path.c_str(), EdsFileCreateNew, EdsAccessWrite, &stream),
            EdsErrFileAlreadyExists);
  EXPECT_EQ(eds().EdsCreateFileStream((path + ".missing").c_str(), EdsFileOpenExisting,
                                      EdsAccessRead, &stream),
            EdsErrFileNotFound);
  EXPECT_EQ(eds().EdsCreateFileStream(path.c_str(), 9, EdsAccessRead, &stream),
            EdsErrInvalidParameter);

  ASSERT_EQ(eds().EdsCreateFileStream(path.c_str(), EdsFileOpenExisting, EdsAccessRead, &stream),
            EdsErrOK);
  EdsUInt32 written = 0;
  EXPECT_EQ(eds().EdsWrite(stream, 1, "x", &written), EdsErrStreamPermission);
  EXPECT_EQ(streamBytes(stream), (Bytes{'o', 'l', 'd', '!'}));
  ASSERT_EQ(eds().EdsRelease(stream), EdsErrOK);

  // Create-always replaces the file; a write-only stream cannot be read.
  ASSERT_EQ(eds().EdsCreateFileStream(path.c_str(), EdsFileCreateAlways, EdsAccessWrite, &stream),
            EdsErrOK);
  ASSERT_EQ(eds().EdsWrite(stream, 2, "ab", &written), EdsErrOK);
  char buffer[4];
  EdsUInt32 read = 0;
  EXPECT_EQ(eds().EdsRead(stream, 1, buffer, &read), EdsErrStreamPermission);
  ASSERT_EQ(eds().EdsRelease(stream), EdsErrOK);
  EXPECT_EQ(platform::readFile(path), (Bytes{'a', 'b'}));
  platform::removeFile(path);
}

TEST_F(EdsCardTest, OnlyRegularFilesOpenAsFileStreams) {
  const std::string folder = temporaryFile("stream.folder");
  std::filesystem::create_directories(folder);
  std::vector<std::string> names{folder};
#ifndef _WIN32
  // Opening a FIFO would wait for a writer that never comes.
  const std::string fifo = temporaryFile("stream.fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  names.push_back(fifo);
#endif
  for (const std::string& name : names) {
    for (const EdsUInt32 disposition :
         {EdsFileOpenExisting, EdsFileCreateAlways, EdsFileOpenAlways, EdsFileTruncateExisting}) {
      EdsStreamRef stream = nullptr;
      EXPECT_EQ(eds().EdsCreateFileStream(name.c_str(), disposition, EdsAccessRead, &stream),
                EdsErrFileOpen)
          << name << ", disposition " << disposition;
      EXPECT_EQ(stream, nullptr);
    }
  }
  for (const std::string& name : names) {
    std::filesystem::remove(name);
  }
}

} // namespace
} // namespace vostrel::sim::test
