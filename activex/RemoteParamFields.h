#pragma once
// The flat view of the parameter records for the automation interface: which
// field of RemoteParamsType or RAWDevelopParamsType a parameter kind reads,
// and the records that the control sends when a host sets one parameter or
// one group of parameters. Every byte field takes the low 8 bits of the
// value it is given.

#include "core/CamDefines.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace vostrel {

// ---------------------------------------------------------------------------
// Reading one field. The kind is taken modulo 256; a kind without a field of
// its own gives 0.

// TxRemoteParamType: the byte of a plain kind zero-extended, the Kelvin value
// whole; the white-balance shift, the picture style and kinds above 26 give 0.
std::int32_t RemoteParamField(const RemoteParamsType& params, std::int32_t kind);

// TxRemoteParamPictureStyleType: contrast, saturation and colour tone are
// signed and come back sign-extended.
std::int32_t PictureStyleField(const RemoteParamsType& params, std::int32_t kind);

// TxRemoteParamWhitebalanceShiftType: both shift amounts are signed.
std::int32_t WhitebalanceShiftField(const RemoteParamsType& params, std::int32_t kind);

// TxRAWParamType: the white-balance setting or the Kelvin value; other kinds
// give 0.
std::int32_t RAWParamField(const RAWDevelopParamsType& params, std::int32_t kind);

// ---------------------------------------------------------------------------
// Building the record that sets one parameter. Some kinds travel together
// with the camera's current value of another kind; the builder asks for it
// through the reader, kind by kind, and only when it needs it.

using CurrentParamReader = std::function<std::int32_t(std::int32_t kind)>;

// The zero-filled record that sets kind to value, or nullopt when the kind
// sends nothing (the white-balance shift, the picture style, kinds outside
// 0..26):
// - the four image-quality kinds (0 to 3) always go together, the three
//   that are not set keeping their current values;
// - white-balance setting 13 (colour temperature) brings the current Kelvin
//   value along;
// - the Kelvin value brings the current white-balance setting along.
std::optional<RemoteParamsType> RecordSettingRemoteParam(std::int32_t kind, std::int32_t value,
                                                         const CurrentParamReader& current);

RemoteParamsType RecordSettingImageQuality(std::int32_t imageSize, std::int32_t imageQuality,
                                           std::int32_t imageSizePic2RAW,
                                           std::int32_t imageQualityPic2RAW);

struct PictureStyleSettings {
  bool Enabled = false;
  std::int16_t Contrast = 0;
  std::int16_t Sharpness = 0;
  std::int16_t Saturation = 0;
  bool SaturationUsed = false;
  std::int16_t ColorTone = 0;
  bool ColorToneUsed = false;
  std::int32_t MonochromeFilter = MonochromeFilterNone;
  bool MonochromeFilterUsed = false;
  std::int32_t MonochromeTone = MonochromeToneNone;
  bool MonochromeToneUsed = false;
};

RemoteParamsType RecordSettingPictureStyle(const PictureStyleSettings& style);

RemoteParamsType RecordSettingWhitebalanceShift(bool enabled, std::int16_t amberBlue,
                                                std::int16_t greenMagenta);

// The RAW development record that sets kind to value, or nullopt for a kind
// that sends nothing. Setting 13 brings the current Kelvin value along (read
// through current with RAWParamWhiteBalanceKelvin); setting the Kelvin value
// selects setting 13.
std::optional<RAWDevelopParamsType> RecordSettingRAWParam(std::int32_t kind, std::int32_t value,
                                                          const CurrentParamReader& current);

} // namespace vostrel
