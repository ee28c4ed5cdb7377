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
// back to HeaderReader instead, which holds no object with a destructor
// across the jump.
struct ErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Return;
};

void LeaveOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->Return, 1);
}

void IgnoreMessage(j_common_ptr /*info*/) {}

// One decompressor per thread, kept for every header that thread reads: a
// listing reads a header per thumbnail, and setting up the library's memory
// each time cost more than reading the header.
class HeaderReader {
public:
  HeaderReader() {
    Info.err = jpeg_std_error(&Errors.Base);
    Errors.Base.error_exit = LeaveOnError;
    Errors.Base.output_message = IgnoreMessage;
    if (setjmp(Errors.Return) != 0) {
      return;
    }
    jpeg_create_decompress(&Info);
    Created = true;
  }
  ~HeaderReader() {
    if (Created) {
      jpeg_destroy_decompress(&Info);
    }
  }
  HeaderReader(const HeaderReader&) = delete;
  HeaderReader& operator=(const HeaderReader&) = delete;

  // After a header, read or refused, the decompressor is reset for the next.
  bool Read(const std::vector<std::uint8_t>& bytes, HeaderSize& size) {
    if (!Created) {
      return false;
    }
    if (setjmp(Errors.Return) != 0) {
      jpeg_abort_decompress(&Info);
      return false;
    }
    jpeg_mem_src(&Info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    const bool read = jpeg_read_header(&Info, TRUE) == JPEG_HEADER_OK;
    size = {static_cast<std::int32_t>(Info.image_width),
            static_cast<std::int32_t>(Info.image_height)};
    jpeg_abort_decompress(&Info);
    return read;
  }

private:
  jpeg_decompress_struct Info{};
  ErrorManager Errors{};
  bool Created = false;
};

bool ReadHeader(const std::vector<std::uint8_t>& bytes, HeaderSize& size) {
  thread_local HeaderReader reader;
  return reader.Read(bytes, size);
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
