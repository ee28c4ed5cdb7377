#pragma once
// Baseline TIFF files, as EdsSaveImage writes them: little-endian, one
// uncompressed strip of interleaved RGB, 8 or 16 bits per sample, with the
// ICC profile (tag 34675) when one is given. readTiff reads such files back.

#include "sim/world/Bytes.h"
#include "sim/world/RgbImage.h"

#include <stdexcept>

namespace vostrel::sim {

class TiffError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

Bytes encodeTiff(const Rgb8Image& image, const Bytes& iccProfile = {});
Bytes encodeTiff(const Rgb16Image& image, const Bytes& iccProfile = {});

struct TiffContent {
  int bitsPerSample = 0;
  Rgb16Image pixels; // 8-bit samples are kept as they are (0 to 255)
  Bytes iccProfile;
};

// Reads an uncompressed single-strip RGB TIFF as encodeTiff writes it.
TiffContent readTiff(const Bytes& tiff);

} // namespace vostrel::sim
