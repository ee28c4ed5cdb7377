#include "core/JPEGImage.h"

#include "core/ECamException.h"
#include "platform/FileSystem.h"

#include <csetjmp>
#include <cstdio>
#include <utility>
// The library's header needs the size and file types declared first.
#include <jpeglib.h>

namespace vostrel {

namespace {

struct HeaderSize {
  std::int32_t Width;
  std::int32_t Height;
};

// libjpeg reports errors through a callback that must not return; it jumps
// back to ReadHeader instead, which holds no object with a destructor.
struct ErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Return;
};

void LeaveOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->Return, 1);
}

void IgnoreMessage(j_common_ptr /*info*/) {}

bool ReadHeader(const std::vector<std::uint8_t>& bytes, HeaderSize& size) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.Base);
  errors.Base.error_exit = LeaveOnError;
  errors.Base.output_message = IgnoreMessage;
  if (setjmp(errors.Return) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  const bool read = jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
  size = {static_cast<std::int32_t>(info.image_width),
          static_cast<std::int32_t>(info.image_height)};
  jpeg_destroy_decompress(&info);
  return read;
}

} // namespace

std::shared_ptr<TJPEGImage> TJPEGImage::FromBytes(std::vector<std::uint8_t> bytes) {
  HeaderSize size{};
  if (bytes.empty() || !ReadHeader(bytes, size)) {
    throw ECamException("The thumbnail is not a JPEG picture");
  }
  return std::shared_ptr<TJPEGImage>(new TJPEGImage(std::move(bytes), size.Width, size.Height));
}

std::shared_ptr<TJPEGImage> TJPEGImage::FromFile(const std::string& fileName) {
  std::vector<std::uint8_t> bytes = platform::readFileStart(fileName, MaximumSize + 1);
  if (bytes.size() > MaximumSize) {
    throw ECamException("The thumbnail file " + fileName + " is too large");
  }
  return FromBytes(std::move(bytes));
}

void TJPEGImage::SaveToFile(const std::string& fileName) const {
  platform::writeFile(fileName, Bytes_);
}

} // namespace vostrel
