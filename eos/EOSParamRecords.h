#pragma once
// The EOS shooting parameters that are not a single code: image quality,
// colour temperature, white-balance shift and picture style. Each is moved
// between its EDSDK property value and its fields of RemoteParamsType in
// both directions:
// - ...ToParams fills the fields from a property value the camera reported;
// - ...FromParams gives the property value to write, or nothing when the
//   fields ask for no change (or for a setting the camera cannot express).

#include "core/CamDefines.h"
#include "eos/EDSDKTYPES.h"

#include <cstdint>
#include <optional>

namespace vostrel::eos {

// The values the camera reports, and expects, for parts of a property that
// do not apply.
inline constexpr EdsInt32 WhiteBalanceShiftNotAvailable = 0x7FFFFFFF;
inline constexpr EdsInt32 PictureStyleLevelNotUsed = 0x7FFFFFFF;   // saturation, colour tone
inline constexpr EdsUInt32 PictureStyleEffectNotUsed = 0xFFFFFFFF; // filter, toning effect

// The public compression quality that stands for RAW.
inline constexpr std::uint8_t CompQualityRAW = 5;

// Image quality (offsets 0 to 3). A RAW picture reads as compression quality
// RAW, with the quality and size of the JPEG beside it in the two RAW
// fields. Written when both the quality and the size are set, or when the
// quality is RAW; a RAW write keeps the JPEG beside it only when both its
// quality and size have codes.
void ImageQualityToParams(const ImageQualityValueType& quality, RemoteParamsType& params);
std::optional<ImageQualityValueType> ImageQualityFromParams(const RemoteParamsType& params);

// Colour temperature (offset 16): applies only with the white-balance
// setting for colour temperature, and is written in whole hundreds of
// Kelvin (5550 is written as 5500).
bool UsesColorTemperature(const RemoteParamsType& params);
void ColorTemperatureToParams(const EdsInt32& kelvin, RemoteParamsType& params);
std::optional<EdsInt32> ColorTemperatureFromParams(const RemoteParamsType& params);

// White-balance shift (offsets 20 to 22): enabled when the camera reports
// both values; each value travels as one signed byte.
void WhiteBalanceShiftToParams(const WhiteBalanceShiftType& shift, RemoteParamsType& params);
std::optional<WhiteBalanceShiftType> WhiteBalanceShiftFromParams(const RemoteParamsType& params);

// Picture style (offsets 23 to 33): each optional part has a "used" flag;
// a part that is not used travels as the camera's not-applicable value.
void PictureStyleToParams(const PictureStyleValueType& style, RemoteParamsType& params);
std::optional<PictureStyleValueType> PictureStyleFromParams(const RemoteParamsType& params);

} // namespace vostrel::eos
