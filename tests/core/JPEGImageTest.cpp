// Thumbnail images keep their JPEG bytes and read only the header.

#include "core/JPEGImage.h"
#include "core/ECamException.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <system_error>
#include <vector>
// The library's header needs the size and file types declared first.
#include <jpeglib.h>

namespace vostrel {
namespace {

// A grey JPEG picture of the given size, encoded by libjpeg.
std::vector<std::uint8_t> EncodeGrey(int width, int height) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 1;
  info.in_color_space = JCS_GRAYSCALE;
  jpeg_set_defaults(&info);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width), 128);
  while (info.next_scanline < info.image_height) {
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  std::vector<std::uint8_t> bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

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
  }
}

TEST(JPEGImage, MissingFileFailsInTheFileLayer) {
  test::TempFolder folder;
  EXPECT_THROW(TJPEGImage::FromFile(folder.file("missing.jpg")), std::system_error);
}

} // namespace
} // namespace vostrel
