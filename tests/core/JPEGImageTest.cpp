// Thumbnail images keep their JPEG bytes and read only the header.

#include "core/JPEGImage.h"
#include "core/ECamException.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include "support/GreyJpeg.h"
#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace vostrel {
namespace {

using test::EncodeGrey;

TEST(JPEGImage, KeepsItsBytesAndReadsTheSize) {
  const std::vector<std::uint8_t> jpeg = EncodeGrey(3, 2);
  const auto image = TJPEGImage::FromBytes(jpeg);
  EXPECT_EQ(image->Width(), 3);
  EXPECT_EQ(image->Height(), 2);
  EXPECT_EQ(image->Bytes(), jpeg);

  test::TempFolder folder;
  const std::string file = folder.file("thumb.jpg");
  platform::writeFile(file, std::vector<std::uint8_t>(5000, 1));
  image->SaveToFile(file); // replaces the old file
  EXPECT_EQ(platform::readFile(file), jpeg);
  EXPECT_EQ(TJPEGImage::FromFile(file)->Width(), 3);
}

TEST(JPEGImage, DataThatIsNotJPEGIsRefused) {
  const std::vector<std::uint8_t> jpeg = EncodeGrey(8, 8);
  const std::vector<std::vector<std::uint8_t>> notJPEG{
      {},
      {'B', 'M', 0, 0, 0, 0},
      {0xFF, 0xD8},                                               // start marker only
      std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20), // header cut short
  };
  for (const auto& bytes : notJPEG) {
    try {
      TJPEGImage::FromBytes(bytes);
      ADD_FAILURE() << "accepted " << bytes.size() << " bytes";
    } catch (const ECamException& error) {
      EXPECT_EQ(error.message(), "The thumbnail is not a JPEG picture");
    }
    // The reader each thread keeps is ready again after a refusal.
    EXPECT_EQ(TJPEGImage::FromBytes(EncodeGrey(5, 4))->Width(), 5);
  }
}

TEST(JPEGImage, AFileIsTakenOnlyWhenItIsARegularFileOfThumbnailSize) {
  test::TempFolder folder;
  EXPECT_THROW(TJPEGImage::FromFile(folder.file("missing.jpg")), std::system_error);
  EXPECT_THROW(TJPEGImage::FromFile(folder.file("")), std::system_error);

  // A valid header followed by more than any thumbnail holds.
  std::vector<std::uint8_t> huge = EncodeGrey(16, 16);
  huge.resize(TJPEGImage::MaximumSize + 1, 0);
  const std::string file = folder.file("huge.jpg");
  platform::writeFile(file, huge);
  try {
    TJPEGImage::FromFile(file);
    ADD_FAILURE() << "accepted a file larger than a thumbnail";
  } catch (const ECamException& error) {
    EXPECT_EQ(error.message(), "The thumbnail file " + file + " is too large");
  }
  huge.resize(TJPEGImage::MaximumSize);
  platform::writeFile(file, huge);
  EXPECT_EQ(TJPEGImage::FromFile(file)->Width(), 16);
}

} // namespace
} // namespace vostrel
