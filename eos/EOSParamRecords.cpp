#include "eos/EOSParamRecords.h"

#include "eos/EOSParamTables.h"

namespace vostrel::eos {

namespace {

std::uint32_t Bits(EdsInt32 value) {
  return static_cast<std::uint32_t>(value);
}

// The low byte of a property value, as the signed or unsigned byte that a
// field of RemoteParamsType holds.
std::int8_t SignedLowByte(std::uint32_t value) {
  return static_cast<std::int8_t>(value & 0xFFu);
}
std::uint8_t UnsignedLowByte(std::uint32_t value) {
  return static_cast<std::uint8_t>(value & 0xFFu);
}

// An optional part of the picture style: its byte and "used" flag are set
// unless the camera reports the part's not-applicable value.
template <typename Byte>
void OptionalPartToParams(std::uint32_t value, std::uint32_t notUsed, Byte& part,
                          std::uint8_t& used) {
  if (value == notUsed) {
    part = 0;
    used = 0;
    return;
  }
  part = static_cast<Byte>(value & 0xFFu);
  used = 1;
}

} // namespace

void ImageQualityToParams(const ImageQualityValueType& quality, RemoteParamsType& params) {
  params.CompQuality = CompQualityTable.ToValue(Bits(quality.primaryCompressQuality));
  params.ImageSize = ImageSizeTable.ToValue(Bits(quality.primaryImageSize));
  params.CompQualityPic2RAW = 0;
  params.ImageSizePic2RAW = 0;
  if (Bits(quality.primaryImageFormat) != EdsImageFormatRAW) {
    return;
  }
  params.CompQuality = CompQualityRAW;
  // A RAW picture without a JPEG beside it reports all secondary fields 0;
  // size code 0 would otherwise read as the largest JPEG size.
  if (Bits(quality.secondaryImageFormat) == EdsImageFormatJPEG) {
    params.CompQualityPic2RAW = CompQualityTable.ToValue(Bits(quality.secondaryCompressQuality));
    params.ImageSizePic2RAW = ImageSizeTable.ToValue(Bits(quality.secondaryImageSize));
  }
}

std::optional<ImageQualityValueType> ImageQualityFromParams(const RemoteParamsType& params) {
  ImageQualityValueType quality{};
  if (params.CompQuality == CompQualityRAW) {
    // A RAW picture is always taken at the largest size.
    quality.primaryImageSize = ImageSizeTable.ToCode(1);
    quality.primaryImageFormat = EdsImageFormatRAW;
    quality.primaryCompressQuality = CompQualityTable.ToCode(CompQualityRAW);
    const EdsInt32 jpegQuality = CompQualityTable.ToCode(params.CompQualityPic2RAW);
    const EdsInt32 jpegSize = ImageSizeTable.ToCode(params.ImageSizePic2RAW);
    if (jpegQuality != CompQualityTable.NoValueCode() && jpegSize != ImageSizeTable.NoValueCode()) {
      quality.secondaryImageSize = jpegSize;
      quality.secondaryImageFormat = EdsImageFormatJPEG;
      quality.secondaryCompressQuality = jpegQuality;
    }
    return quality;
  }
  if (params.CompQuality == 0 || params.ImageSize == 0) {
    return std::nullopt;
  }
  quality.primaryCompressQuality = CompQualityTable.ToCode(params.CompQuality);
  quality.primaryImageSize = ImageSizeTable.ToCode(params.ImageSize);
  quality.primaryImageFormat = EdsImageFormatJPEG;
  // A quality or size that EOS cameras do not have is not sent at all.
  if (quality.primaryCompressQuality == CompQualityTable.NoValueCode() ||
      quality.primaryImageSize == ImageSizeTable.NoValueCode()) {
    return std::nullopt;
  }
  return quality;
}

bool UsesColorTemperature(const RemoteParamsType& params) {
  return params.WhiteBalanceSetting == WhiteBalanceColorTemperature;
}

void ColorTemperatureToParams(const EdsInt32& kelvin, RemoteParamsType& params) {
  params.WhiteBalanceKelvin = kelvin;
}

std::optional<EdsInt32> ColorTemperatureFromParams(const RemoteParamsType& params) {
  if (!UsesColorTemperature(params)) {
    return std::nullopt;
  }
  return params.WhiteBalanceKelvin / 100 * 100;
}

void WhiteBalanceShiftToParams(const WhiteBalanceShiftType& shift, RemoteParamsType& params) {
  if (shift.amberBlue == WhiteBalanceShiftNotAvailable ||
      shift.greenMagenta == WhiteBalanceShiftNotAvailable) {
    params.WBShiftEnabled = 0;
    params.WBShiftAmberBlue = 0;
    params.WBShiftGreenMagenta = 0;
    return;
  }
  params.WBShiftEnabled = 1;
  params.WBShiftAmberBlue = SignedLowByte(Bits(shift.amberBlue));
  params.WBShiftGreenMagenta = SignedLowByte(Bits(shift.greenMagenta));
}

std::optional<WhiteBalanceShiftType> WhiteBalanceShiftFromParams(const RemoteParamsType& params) {
  if (params.WBShiftEnabled == 0) {
    return std::nullopt;
  }
  return WhiteBalanceShiftType{params.WBShiftAmberBlue, params.WBShiftGreenMagenta};
}

void PictureStyleToParams(const PictureStyleValueType& style, RemoteParamsType& params) {
  params.PictureStyleEnabled = 1;
  params.PictureStyleContrast = SignedLowByte(Bits(style.contrast));
  params.PictureStyleSharpness = UnsignedLowByte(Bits(style.sharpness));
  OptionalPartToParams(Bits(style.saturation), Bits(PictureStyleLevelNotUsed),
                       params.PictureStyleSaturation, params.PictureStyleSaturationUsed);
  OptionalPartToParams(Bits(style.colorTone), Bits(PictureStyleLevelNotUsed),
                       params.PictureStyleColorTone, params.PictureStyleColorToneUsed);
  OptionalPartToParams(style.filterEffect, PictureStyleEffectNotUsed,
                       params.PictureStyleMonochromeFilter,
                       params.PictureStyleMonochromeFilterUsed);
  OptionalPartToParams(style.toningEffect, PictureStyleEffectNotUsed,
                       params.PictureStyleMonochromeTone, params.PictureStyleMonochromeToneUsed);
}

std::optional<PictureStyleValueType> PictureStyleFromParams(const RemoteParamsType& params) {
  if (params.PictureStyleEnabled == 0) {
    return std::nullopt;
  }
  PictureStyleValueType style{};
  style.contrast = params.PictureStyleContrast;
  style.sharpness = params.PictureStyleSharpness;
  style.saturation = params.PictureStyleSaturationUsed != 0 ? params.PictureStyleSaturation
                                                            : PictureStyleLevelNotUsed;
  style.colorTone = params.PictureStyleColorToneUsed != 0 ? params.PictureStyleColorTone
                                                          : PictureStyleLevelNotUsed;
  style.filterEffect = params.PictureStyleMonochromeFilterUsed != 0
                           ? params.PictureStyleMonochromeFilter
                           : PictureStyleEffectNotUsed;
  style.toningEffect = params.PictureStyleMonochromeToneUsed != 0
                           ? params.PictureStyleMonochromeTone
                           : PictureStyleEffectNotUsed;
  return style;
}

} // namespace vostrel::eos
