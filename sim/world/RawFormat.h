#pragma once
// The RAW files of the simulated cameras: a small linear RGB picture with the
// white balance it was shot with. All fields little-endian:
//
//   offset  size  content
//   0       8     signature "VSRAW01" and a zero byte
//   8       4     width in pixels
//   12      4     height in pixels
//   16      4     white-balance code the picture was shot with (the SDK's code)
//   20      4     colour temperature of the shot, in Kelvin
//   24      4     white balances that can be applied: bit n set = SDK code n
//   28      4     picture number
//   32      4     length T of the embedded JPEG thumbnail
//   36      4     reserved, 0
//   40      W*H*6 pixels, rows top to bottom, R G B as 16-bit linear samples
//   40+W*H*6  T   the JPEG thumbnail

#include "sim/world/Bytes.h"
#include "sim/world/RgbImage.h"

#include <cstdint>
#include <stdexcept>

namespace vostrel::sim {

class RawFormatError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct RawPicture {
  std::uint32_t whiteBalance = 0;
  std::uint32_t kelvin = 5200;
  std::uint32_t supportedWhiteBalances = 0;
  std::uint32_t number = 0;
  Rgb16Image pixels;
  Bytes thumbnail;
};

inline constexpr std::size_t RawHeaderSize = 40;

// Whether a file of `fileSize` bytes is exactly a header, `pixelBytes` of
// pixels and a thumbnail of `thumbnailLength` bytes. No sum is formed, so a
// length that a damaged file chooses cannot wrap the check around, whatever
// the width of the size type.
template <typename Size>
constexpr bool rawLengthMatches(Size fileSize, Size pixelBytes, std::uint32_t thumbnailLength) {
  if (fileSize < RawHeaderSize || fileSize - RawHeaderSize < pixelBytes) {
    return false;
  }
  const Size rest = fileSize - RawHeaderSize - pixelBytes;
  return static_cast<std::uint64_t>(rest) == thumbnailLength;
}

Bytes encodeRaw(const RawPicture& picture);
// Raises RawFormatError for data that is not a RAW file of this format.
RawPicture decodeRaw(const Bytes& bytes);

} // namespace vostrel::sim
