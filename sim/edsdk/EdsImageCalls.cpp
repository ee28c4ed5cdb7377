// RAW pictures of the simulated EDSDK: opening our RAW format and developing
// it into JPEG or TIFF with the white balance chosen for the image.

#include "sim/edsdk/EdsFailure.h"
#include "sim/edsdk/EdsSimulator.h"
#include "sim/world/Development.h"
#include "sim/world/Jpeg.h"
#include "sim/world/Tiff.h"

namespace vostrel::sim::eds {

EdsImageRef EdsSimulator::createImage(EdsStreamRef stream) {
  const Bytes bytes = require<StreamObject>(stream)->stream->readAll();
  auto image = std::make_shared<ImageObject>();
  try {
    image->picture = decodeRaw(bytes);
  } catch (const RawFormatError&) {
    fail(EdsErrFileFormatUnrecognized);
  }
  image->whiteBalance = image->picture.whiteBalance;
  image->kelvin = image->picture.kelvin;
  return handles_.add(image);
}

ImageInfoType EdsSimulator::imageInfo(EdsImageRef image) {
  const auto& pixels = require<ImageObject>(image)->picture.pixels;
  ImageInfoType info{};
  info.width = static_cast<EdsUInt32>(pixels.width);
  info.height = static_cast<EdsUInt32>(pixels.height);
  info.numberOfComponents = 3;
  info.componentDepth = 16;
  info.effectiveWidth = pixels.width;
  info.effectiveHeight = pixels.height;
  return info;
}

void EdsSimulator::saveImage(EdsImageRef image, EdsUInt32 targetType,
                             const SaveImageSettingType& setting, EdsStreamRef stream) {
  const auto source = require<ImageObject>(image);
  const auto target = require<StreamObject>(stream);
  const Bytes iccProfile = setting.iccProfileStream != nullptr
                               ? require<StreamObject>(setting.iccProfileStream)->stream->readAll()
                               : Bytes();
  const std::uint32_t kelvin =
      kelvinForWhiteBalance(source->whiteBalance, source->picture.kelvin, source->kelvin);
  const Rgb16Image developed = developRaw(source->picture, kelvin);
  switch (targetType) {
  case EdsTargetImageJPEG:
    if (setting.jpegQuality < 1 || setting.jpegQuality > 100) {
      fail(EdsErrInvalidParameter);
    }
    target->stream->write(
        encodeJpeg(to8Bits(developed), static_cast<int>(setting.jpegQuality), iccProfile));
    break;
  case EdsTargetImageTIFF:
    target->stream->write(encodeTiff(to8Bits(developed), iccProfile));
    break;
  case EdsTargetImageTIFF16:
    target->stream->write(encodeTiff(developed, iccProfile));
    break;
  default:
    fail(EdsErrInvalidParameter);
  }
}

} // namespace vostrel::sim::eds
