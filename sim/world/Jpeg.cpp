#include "sim/world/Jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// clang-format off
#include <jpeglib.h>
// clang-format on

namespace vostrel::sim {

namespace {

constexpr int IccMarker = JPEG_APP0 + 2;
constexpr char IccSignature[] = "ICC_PROFILE"; // followed by its zero byte
constexpr std::size_t IccHeaderSize = sizeof(IccSignature) + 2;
constexpr std::size_t IccChunkSize = 65519;

// libjpeg reports errors through error_exit, which must not return; it
// jumps back to the setjmp of the function that started the work. Those
// functions keep only trivially destructible objects of their own.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void onError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

void onWarning(j_common_ptr, int) {}

void writeIccProfile(jpeg_compress_struct* info, const std::uint8_t* profile, std::size_t size) {
  const std::size_t chunks = (size + IccChunkSize - 1) / IccChunkSize;
  unsigned char chunk[IccHeaderSize + IccChunkSize];
  std::memcpy(chunk, IccSignature, sizeof(IccSignature));
  for (std::size_t index = 0; index < chunks; ++index) {
    const std::size_t length = std::min(IccChunkSize, size - index * IccChunkSize);
    chunk[sizeof(IccSignature)] = static_cast<unsigned char>(index + 1);
    chunk[sizeof(IccSignature) + 1] = static_cast<unsigned char>(chunks);
    std::memcpy(chunk + IccHeaderSize, profile + index * IccChunkSize, length);
    jpeg_write_marker(info, IccMarker, chunk, static_cast<unsigned int>(IccHeaderSize + length));
  }
}

bool compress(const Rgb8Image& image, int quality, const Bytes& iccProfile,
              const std::string& comment, unsigned char** buffer, unsigned long* size,
              char* message) {
  jpeg_compress_struct info;
  ErrorManager error;
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = onError;
  if (setjmp(error.jump) != 0) {
    std::strcpy(message, error.message);
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, buffer, size);
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  if (!iccProfile.empty()) {
    writeIccProfile(&info, iccProfile.data(), iccProfile.size());
  }
  if (!comment.empty()) {
    jpeg_write_marker(&info, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                      static_cast<unsigned int>(comment.size()));
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(
        &image.samples[image.index(0, static_cast<int>(info.next_scanline), 0)]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

bool decompress(const Bytes& jpeg, Rgb8Image& image, char* message) {
  jpeg_decompress_struct info;
  ErrorManager error;
  info.err = jpeg_std_error(&error.base);
  error.base.error_exit = onError;
  error.base.emit_message = onWarning;
  if (setjmp(error.jump) != 0) {
    std::strcpy(message, error.message);
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, const_cast<unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image = Rgb8Image(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &image.samples[image.index(0, static_cast<int>(info.output_scanline), 0)];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

// Calls visit(marker, data, length) for each marker segment before the
// first scan.
template <typename Visit>
void forEachMarker(const Bytes& jpeg, Visit&& visit) {
  std::size_t offset = 2; // after SOI
  while (offset + 4 <= jpeg.size() && jpeg[offset] == 0xFF) {
    const int marker = jpeg[offset + 1];
    const std::size_t length = (static_cast<std::size_t>(jpeg[offset + 2]) << 8) | jpeg[offset + 3];
    if (marker == 0xDA || length < 2 || offset + 2 + length > jpeg.size()) {
      break; // start of scan: no more markers
    }
    visit(marker, jpeg.data() + offset + 4, length - 2);
    offset += 2 + length;
  }
}

} // namespace

Bytes encodeJpeg(const Rgb8Image& image, int quality, const Bytes& iccProfile,
                 const std::string& comment) {
  if (comment.size() > MaximumJpegComment) {
    throw JpegError("cannot encode JPEG: comment too long");
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  char message[JMSG_LENGTH_MAX] = {};
  const bool done =
      compress(image, std::clamp(quality, 1, 100), iccProfile, comment, &buffer, &size, message);
  Bytes result;
  if (done) {
    result.assign(buffer, buffer + size);
  }
  std::free(buffer);
  if (!done) {
    throw JpegError(std::string("cannot encode JPEG: ") + message);
  }
  return result;
}

Rgb8Image decodeJpeg(const Bytes& jpeg) {
  if (jpeg.empty()) {
    throw JpegError("cannot decode JPEG: no data");
  }
  Rgb8Image image;
  char message[JMSG_LENGTH_MAX] = {};
  if (!decompress(jpeg, image, message)) {
    throw JpegError(std::string("cannot decode JPEG: ") + message);
  }
  return image;
}

Bytes jpegIccProfile(const Bytes& jpeg) {
  Bytes profile;
  forEachMarker(jpeg, [&](int marker, const std::uint8_t* data, std::size_t length) {
    if (marker == IccMarker && length >= IccHeaderSize &&
        std::memcmp(data, IccSignature, sizeof(IccSignature)) == 0) {
      profile.insert(profile.end(), data + IccHeaderSize, data + length);
    }
  });
  return profile;
}

std::string jpegComment(const Bytes& jpeg) {
  std::string comment;
  forEachMarker(jpeg, [&](int marker, const std::uint8_t* data, std::size_t length) {
    if (marker == JPEG_COM && comment.empty()) {
      comment.assign(reinterpret_cast<const char*>(data), length);
    }
  });
  return comment;
}

} // namespace vostrel::sim
