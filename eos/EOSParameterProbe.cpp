#include "eos/EOSParameterProbe.h"

#include "core/ProbeCache.h"
#include "eos/EDSDK.h"
#include "eos/EOSParamRecords.h"
#include "eos/EOSParamTables.h"
#include "eos/EOSRemoteParams.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string_view>

namespace vostrel::eos {

namespace {

// Progress is counted in seventeenths: the saved settings, two for the
// picture-only image qualities, one for each further kind.
constexpr std::int32_t ProbeSteps = 17;

template <typename Value>
bool TryWrite(EdsCameraRef camera, EdsUInt32 propertyId, const Value& value) {
  return edsdk::EdsSetPropertyData(camera, propertyId, 0, EdsUInt32{sizeof value}, &value) ==
         EdsErrOK;
}

template <typename Value>
bool TryRead(EdsCameraRef camera, EdsUInt32 propertyId, Value& value) {
  return edsdk::EdsGetPropertyData(camera, propertyId, 0, EdsUInt32{sizeof value}, &value) ==
         EdsErrOK;
}

// The highest public value of a kind: the last index of its row.
std::int32_t HighestValue(TxRemoteParamType kind) {
  return static_cast<std::int32_t>(FindSupportedParamRow(kind)->Length) - 1;
}

bool SameImageQuality(const ImageQualityValueType& a, const ImageQualityValueType& b) {
  return a.primaryImageSize == b.primaryImageSize && a.primaryImageFormat == b.primaryImageFormat &&
         a.primaryCompressQuality == b.primaryCompressQuality &&
         a.secondaryImageSize == b.secondaryImageSize &&
         a.secondaryImageFormat == b.secondaryImageFormat &&
         a.secondaryCompressQuality == b.secondaryCompressQuality;
}

// A RAW with a JPEG beside it: cameras store the RAW part in a size and
// quality of their own, so only its format and the JPEG count.
bool SameJpegBesideRAW(const ImageQualityValueType& a, const ImageQualityValueType& b) {
  return a.primaryImageFormat == b.primaryImageFormat &&
         a.secondaryImageSize == b.secondaryImageSize &&
         a.secondaryImageFormat == b.secondaryImageFormat &&
         a.secondaryCompressQuality == b.secondaryCompressQuality;
}

// One run of the probe over a camera, filling a zeroed table.
class ParameterProbe {
public:
  ParameterProbe(EdsCameraRef camera, SupportedParamValuesType& table,
                 const ProbeProgressFn& report)
      : camera_(camera), table_(table), report_(report) {}

  void Run() {
    Advance(1); // the settings have been saved
    ProbeImageQuality();
    Advance(2);
    ProbeImageQualityBesideRAW();
    Advance(1);
    ProbeByDescriptor(EdsPropShootingMode, RemoteParamImageMode, ImageModeTable);
    Advance(1);
    ProbeByDescriptor(EdsPropAv, RemoteParamAv, ApertureScale);
    Advance(1);
    ProbeByDescriptor(EdsPropTv, RemoteParamTv, ShutterSpeedScale);
    Advance(1);
    ProbeByDescriptor(EdsPropExposureCompensation, RemoteParamExposureCompensation,
                      ExposureCompensationTable);
    Advance(1);
    ProbeByTrial(EdsPropWhiteBalance, RemoteParamWhiteBalanceSetting, WhiteBalanceTable);
    Advance(1);
    ProbeWhiteBalanceShift();
    Advance(1);
    ProbeByTrial(EdsPropAFMode, RemoteParamAFMode, AFModeTable);
    Advance(1);
    // Every drive mode tried is followed by single-frame shooting again, so
    // the camera never stays in a self-timer or continuous mode.
    ProbeByTrial(EdsPropDriveMode, RemoteParamDriveMode, DriveModeTable, DriveModeTable.ToCode(1));
    Advance(1);
    ProbeByDescriptor(EdsPropMeteringMode, RemoteParamMLWeiMode, MeteringModeTable);
    Advance(1);
    ProbeByTrial(EdsPropColorSpace, RemoteParamColorSpace, ColorSpaceTable);
    Advance(1);
    ProbeByDescriptor(EdsPropIsoSpeed, RemoteParamISO, SensitivityScale);
    Advance(1);
    ProbePictureStyle();
    // EOS cameras carry contrast, colour gain and sharpness in the picture
    // style; the kinds of their own are not offered.
    MarkNotOffered({RemoteParamContrast, RemoteParamColorGain, RemoteParamSharpness});
    Advance(1);
    ProbeByTrial(EdsPropPhotoEffect, RemoteParamPhotoEffect, PhotoEffectTable);
    Advance(1);
    MarkNotOffered({RemoteParamAFDistance, RemoteParamAFFocusingPoint, RemoteParamAFAssistLight,
                    RemoteParamStrobeSetting, RemoteParamStrobeCompSetting, RemoteParamBeep});
  }

private:
  // Picture alone, JPEG or RAW: a size and quality count as offered when the
  // camera reads back exactly what was written. A camera that takes a RAW
  // write offers RAW, whatever it reads back.
  void ProbeImageQuality() {
    for (std::int32_t quality = 1; quality <= HighestValue(RemoteParamCompQuality); ++quality) {
      for (std::int32_t size = 1; size <= HighestValue(RemoteParamImageSize); ++size) {
        const bool raw = quality == CompQualityRAW;
        const std::optional<ImageQualityValueType> written = PictureQuality(
            quality, size, raw ? EdsImageFormatRAW : EdsImageFormatJPEG, /*besideRAW=*/false);
        if (!written || !TryWrite(camera_, EdsPropImageQuality, *written)) {
          continue;
        }
        if (raw) {
          Mark(RemoteParamCompQuality, quality);
        }
        const std::optional<ImageQualityValueType> read = ReadImageQualityBack();
        if (read && SameImageQuality(*read, *written)) {
          Mark(RemoteParamCompQuality, quality);
          Mark(RemoteParamImageSize, size);
        }
      }
    }
    FinishRow(RemoteParamCompQuality);
    FinishRow(RemoteParamImageSize);
  }

  // RAW with a JPEG beside it, in every JPEG size and quality.
  void ProbeImageQualityBesideRAW() {
    for (std::int32_t quality = 1; quality <= HighestValue(RemoteParamCompQualityPic2RAW);
         ++quality) {
      if (quality == CompQualityRAW) {
        continue;
      }
      for (std::int32_t size = 1; size <= HighestValue(RemoteParamImageSizePic2RAW); ++size) {
        const std::optional<ImageQualityValueType> written =
            PictureQuality(quality, size, EdsImageFormatRAW, /*besideRAW=*/true);
        if (!written || !TryWrite(camera_, EdsPropImageQuality, *written)) {
          continue;
        }
        const std::optional<ImageQualityValueType> read = ReadImageQualityBack();
        if (read && SameJpegBesideRAW(*read, *written)) {
          Mark(RemoteParamCompQualityPic2RAW, quality);
          Mark(RemoteParamImageSizePic2RAW, size);
        }
      }
    }
    FinishRow(RemoteParamCompQualityPic2RAW);
    FinishRow(RemoteParamImageSizePic2RAW);
  }

  // The image quality of a public quality and size, with a JPEG of the same
  // quality and size beside the picture when asked; nothing when either has
  // no code.
  static std::optional<ImageQualityValueType>
  PictureQuality(std::int32_t quality, std::int32_t size, EdsUInt32 format, bool besideRAW) {
    const EdsInt32 sizeCode = ImageSizeTable.ToCode(static_cast<std::uint32_t>(size));
    const EdsInt32 qualityCode = CompQualityTable.ToCode(static_cast<std::uint32_t>(quality));
    if (sizeCode == ImageSizeTable.NoValueCode() || qualityCode == CompQualityTable.NoValueCode()) {
      return std::nullopt;
    }
    ImageQualityValueType value{.primaryImageSize = sizeCode,
                                .primaryImageFormat = static_cast<EdsInt32>(format),
                                .primaryCompressQuality = qualityCode,
                                .secondaryImageSize = 0,
                                .secondaryImageFormat = 0,
                                .secondaryCompressQuality = 0};
    if (besideRAW) {
      value.secondaryImageSize = sizeCode;
      value.secondaryImageFormat = static_cast<EdsInt32>(EdsImageFormatJPEG);
      value.secondaryCompressQuality = qualityCode;
    }
    return value;
  }

  // The image quality after the camera has had time to apply a write.
  std::optional<ImageQualityValueType> ReadImageQualityBack() const {
    platform::sleepFor(ProbeReadBackDelay);
    ImageQualityValueType read{};
    if (!TryRead(camera_, EdsPropImageQuality, read)) {
      return std::nullopt;
    }
    return read;
  }

  // The values the property's descriptor lists. A failing descriptor raises.
  void ProbeByDescriptor(EdsUInt32 propertyId, TxRemoteParamType kind,
                         const ParamConversion& conversion) {
    PropertyDescType desc{};
    edsdk::EdsGetPropertyDesc.checked(camera_, propertyId, &desc);
    // The count comes from the camera; the record never holds more elements.
    const std::int32_t count = std::clamp<std::int32_t>(
        desc.numElements, 0, static_cast<std::int32_t>(std::size(desc.propDesc)));
    for (std::int32_t i = 0; i < count; ++i) {
      Mark(kind, conversion.ToValue(static_cast<std::uint32_t>(desc.propDesc[i])));
    }
    FinishRow(kind);
  }

  // The values the camera takes when each is written; values without a code
  // are not tried. With a reset code, that code follows every candidate.
  void ProbeByTrial(EdsUInt32 propertyId, TxRemoteParamType kind, const ParamConversion& conversion,
                    std::optional<EdsInt32> resetCode = std::nullopt) {
    for (std::int32_t value = 1; value <= HighestValue(kind); ++value) {
      const EdsInt32 code = conversion.ToCode(static_cast<std::uint32_t>(value));
      if (code == conversion.NoValueCode()) {
        continue;
      }
      if (TryWrite(camera_, propertyId, code)) {
        Mark(kind, value);
      }
      if (resetCode) {
        static_cast<void>(TryWrite(camera_, propertyId, *resetCode));
      }
    }
    FinishRow(kind);
  }

  // Offered when the camera reports both shift values.
  void ProbeWhiteBalanceShift() {
    WhiteBalanceShiftType shift{};
    const bool offered = TryRead(camera_, EdsPropWhiteBalanceShift, shift) &&
                         shift.amberBlue != WhiteBalanceShiftNotAvailable &&
                         shift.greenMagenta != WhiteBalanceShiftNotAvailable;
    table_.SetSupported(RemoteParamWhiteBalanceShift, 0, offered);
  }

  // Offered when the camera has the property at all.
  void ProbePictureStyle() {
    PictureStyleValueType style{};
    table_.SetSupported(RemoteParamPictureStyle, 0, TryRead(camera_, EdsPropPictureStyle, style));
  }

  // Value 0 means no value and is never marked as such: it is set by
  // FinishRow when the row holds nothing else.
  void Mark(TxRemoteParamType kind, std::int32_t value) {
    if (value != 0) {
      table_.SetSupported(kind, value, true);
    }
  }

  // Byte 0 of a row says that none of the kind's values is offered.
  void FinishRow(TxRemoteParamType kind) {
    const SupportedParamRow& row = *FindSupportedParamRow(kind);
    const auto first = table_.Flags.begin() + static_cast<std::ptrdiff_t>(row.Offset);
    const auto end = first + static_cast<std::ptrdiff_t>(row.Length);
    const bool anyValue = std::any_of(first + 1, end, [](std::uint8_t flag) { return flag != 0; });
    *first = anyValue ? 0 : 1;
  }

  void MarkNotOffered(std::initializer_list<TxRemoteParamType> kinds) {
    for (const TxRemoteParamType kind : kinds) {
      FinishRow(kind);
    }
  }

  // Reports the steps done so far, in whole percent rounded to the nearest.
  void Advance(std::int32_t steps) {
    step_ += steps;
    if (report_) {
      report_((step_ * 200 + ProbeSteps) / (2 * ProbeSteps));
    }
  }

  EdsCameraRef camera_;
  SupportedParamValuesType& table_;
  const ProbeProgressFn& report_;
  std::int32_t step_ = 0;
};

// The camera's image mode, part of the cache key; 0 when it cannot be read.
std::uint8_t CurrentImageMode(EdsCameraRef camera) {
  EdsUInt32 code = 0;
  return TryRead(camera, EdsPropShootingMode, code) ? ImageModeTable.ToValue(code) : 0;
}

// Writes the saved settings back after a failed probe. The probe's failure
// is the one reported, so a failure while restoring is dropped.
void RestoreAfterFailure(EdsCameraRef camera, const RemoteParamsType& saved) noexcept {
  try {
    WriteRemoteParams(camera, saved);
  } catch (...) {
    // Nothing more can be done for the camera here.
  }
}

} // namespace

void ProbeSupportedParams(EdsCameraRef camera, const std::string& modelName,
                          const std::string& cacheDirectory, SupportedParamValuesType& table,
                          const ProbeProgressFn& report) {
  std::string cacheFile;
  if (!cacheDirectory.empty()) {
    cacheFile = ProbeCacheFileName(cacheDirectory, modelName, CurrentImageMode(camera));
    if (ReadProbeCache(cacheFile, table)) {
      return;
    }
  }

  table = SupportedParamValuesType{};
  RemoteParamsType saved{};
  ReadRemoteParams(camera, saved);
  try {
    ParameterProbe(camera, table, report).Run();
  } catch (...) {
    RestoreAfterFailure(camera, saved);
    throw;
  }
  WriteRemoteParams(camera, saved);

  if (!cacheFile.empty()) {
    WriteProbeCache(cacheFile, table);
  }
}

} // namespace vostrel::eos
