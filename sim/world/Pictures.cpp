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

PictureFile jpegPicture(std::uint32_t number, const ShotMark* mark) {
  Rgb8Image pattern = testPattern(PictureWidth, PictureHeight, number);
  if (mark == nullptr) {
    return {encodeJpeg(pattern, PictureQuality), thumbnailOf(number)};
  }
  drawShotMark(pattern, *mark);
  return {encodeJpeg(pattern, PictureQuality, {}, shotMarkComment(*mark)), thumbnailOf(number)};
}

PictureFile rawPicture(std::uint32_t number, const RawShot& shot, const ShotMark* mark) {
  RawPicture raw;
  raw.whiteBalance = shot.whiteBalance;
  raw.kelvin = shot.kelvin;
  raw.supportedWhiteBalances = shot.supportedWhiteBalances;
  raw.number = number;
  Rgb8Image pattern = testPattern(RawWidth, RawHeight, number);
  if (mark != nullptr) {
    drawShotMark(pattern, *mark);
  }
  raw.pixels = exposeForKelvin(pattern, shot.kelvin);
  raw.thumbnail = thumbnailOf(number);
  return {encodeRaw(raw), raw.thumbnail};
}

} // namespace

PictureFile makeJpegPicture(std::uint32_t number) {
  return jpegPicture(number, nullptr);
}

PictureFile makeRawPicture(std::uint32_t number, const RawShot& shot) {
  return rawPicture(number, shot, nullptr);
}

PictureFile makeReleasedJpegPicture(std::uint32_t number, const ShotMark& mark) {
  return jpegPicture(number, &mark);
}

PictureFile makeReleasedRawPicture(std::uint32_t number, const RawShot& shot,
                                   const ShotMark& mark) {
  return rawPicture(number, shot, &mark);
}

} // namespace vostrel::sim
