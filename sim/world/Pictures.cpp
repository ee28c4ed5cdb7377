#include "sim/world/Pictures.h"

#include "sim/world/Development.h"
#include "sim/world/Jpeg.h"
#include "sim/world/RawFormat.h"
#include "sim/world/TestPattern.h"

namespace vostrel::sim {

namespace {

Bytes thumbnailOf(std::uint32_t number) {
  return encodeJpeg(testPattern(ThumbnailWidth, ThumbnailHeight, number), PictureQuality);
}

} // namespace

PictureFile makeJpegPicture(std::uint32_t number) {
  return {encodeJpeg(testPattern(PictureWidth, PictureHeight, number), PictureQuality),
          thumbnailOf(number)};
}

PictureFile makeRawPicture(std::uint32_t number, const RawShot& shot) {
  RawPicture raw;
  raw.whiteBalance = shot.whiteBalance;
  raw.kelvin = shot.kelvin;
  raw.supportedWhiteBalances = shot.supportedWhiteBalances;
  raw.number = number;
  raw.pixels = exposeForKelvin(testPattern(RawWidth, RawHeight, number), shot.kelvin);
  raw.thumbnail = thumbnailOf(number);
  return {encodeRaw(raw), raw.thumbnail};
}

} // namespace vostrel::sim
