#pragma once
// JPEG files of the simulated cameras, written and read with libjpeg.

#include "sim/world/Bytes.h"
#include "sim/world/RgbImage.h"

#include <cstddef>
#include <stdexcept>
#include <string>

namespace vostrel::sim {

class JpegError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The longest text a JPEG comment marker holds.
inline constexpr std::size_t MaximumJpegComment = 65533;

// Encodes at the quality given (1 to 100). A non-empty ICC profile is
// embedded as APP2 "ICC_PROFILE" markers, a non-empty comment as a COM marker.
Bytes encodeJpeg(const Rgb8Image& image, int quality, const Bytes& iccProfile = {},
                 const std::string& comment = {});

// Decodes a JPEG into RGB; raises JpegError for data that is not a JPEG.
Rgb8Image decodeJpeg(const Bytes& jpeg);

// The ICC profile embedded in a JPEG, empty when there is none.
Bytes jpegIccProfile(const Bytes& jpeg);

// The text of the first comment marker of a JPEG, empty when there is none.
std::string jpegComment(const Bytes& jpeg);

} // namespace vostrel::sim
