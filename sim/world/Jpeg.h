#pragma once
// JPEG files of the simulated cameras, written and read with libjpeg.

#include "sim/world/Bytes.h"
#include "sim/world/RgbImage.h"

#include <stdexcept>

namespace vostrel::sim {

class JpegError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// Encodes at the quality given (1 to 100). A non-empty ICC profile is
// embedded as APP2 "ICC_PROFILE" markers.
Bytes encodeJpeg(const Rgb8Image& image, int quality, const Bytes& iccProfile = {});

// Decodes a JPEG into RGB; raises JpegError for data that is not a JPEG.
Rgb8Image decodeJpeg(const Bytes& jpeg);

// The ICC profile embedded in a JPEG, empty when there is none.
Bytes jpegIccProfile(const Bytes& jpeg);

} // namespace vostrel::sim
