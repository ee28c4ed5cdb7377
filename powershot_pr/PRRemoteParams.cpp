#include "powershot_pr/PRRemoteParams.h"

#include "powershot_pr/PRAPI.h"

namespace vostrel::pr {

using Params = RemoteParamsType;

const PRParam ImageSizeParam{RemoteParamImageSize, ImageSizeProperty, &Params::ImageSize,
                             ImageSizeTable};
const PRParam QualityParam{RemoteParamCompQuality, QualityProperty, &Params::CompQuality,
                           QualityTable};
const PRParam ShootingModeParam{RemoteParamImageMode, ShootingModeProperty, &Params::ImageMode,
                                ShootingModeTable};
const PRParam ApertureParam{RemoteParamAv, ApertureProperty, &Params::Av, ApertureScale};
const PRParam ShutterSpeedParam{RemoteParamTv, ShutterSpeedProperty, &Params::Tv,
                                ShutterSpeedScale};
const PRParam DriveModeParam{RemoteParamDriveMode, DriveModeProperty, &Params::DriveMode,
                             DriveModeTable};

namespace {

const PRParam ExposureCompensation{RemoteParamExposureCompensation,
                                   {0xD01F, 1},
                                   &Params::ExposureCompensation,
                                   ExposureCompensationTable};
const PRParam WhiteBalance{
    RemoteParamWhiteBalanceSetting, {0xD013, 1}, &Params::WhiteBalanceSetting, WhiteBalanceTable};
const PRParam AFDistance{RemoteParamAFDistance, {0xD011, 1}, &Params::AFDistance, AFDistanceTable};
const PRParam AFFocusingPoint{
    RemoteParamAFFocusingPoint, {0xD012, 2}, &Params::AFFocusingPoint, AFFocusingPointTable};
const PRParam AFAssistLight{
    RemoteParamAFAssistLight, {0xD041, 2}, &Params::AFAssistLight, AFAssistLightTable};
const PRParam Strobe{RemoteParamStrobeSetting, {0xD00A, 1}, &Params::StrobeSetting, StrobeTable};
const PRParam StrobeCompensation{RemoteParamStrobeCompSetting,
                                 {0xD020, 1},
                                 &Params::StrobeCompSetting,
                                 ExposureCompensationTable};
const PRParam Metering{RemoteParamMLWeiMode, {0xD010, 1}, &Params::MLWeiMode, MeteringTable};
const PRParam Sensitivity{RemoteParamISO, {0xD01C, 2}, &Params::ISO, ISOTable};
const PRParam Contrast{RemoteParamContrast, {0xD017, 1}, &Params::Contrast, ThreeLevelTable};
const PRParam ColorGain{RemoteParamColorGain, {0xD018, 1}, &Params::ColorGain, ThreeLevelTable};
const PRParam Sharpness{RemoteParamSharpness, {0xD019, 1}, &Params::Sharpness, ThreeLevelTable};
const PRParam PhotoEffect{
    RemoteParamPhotoEffect, {0xD040, 2}, &Params::PhotoEffect, PhotoEffectTable};
const PRParam Beep{RemoteParamBeep, {0xD00B, 1}, &Params::Beep, BeepTable};

void ReadParam(prHandle camera, const PRParam& param, Params& params) {
  if (const auto value = ReadPRProperty(camera, param.Property)) {
    params.*param.Field = param.Conversion.ToValue(*value);
  }
}

void WriteParam(prHandle camera, const PRParam& param, const Params& params) {
  if (const std::uint8_t value = params.*param.Field; value != 0) {
    WritePRProperty(camera, param.Property, param.Conversion.ToPRValue(value));
  }
}

// The format selector decides RAW before the quality is looked at.
void ReadQuality(prHandle camera, Params& params) {
  if (ReadPRProperty(camera, FormatProperty) == FormatRAW) {
    params.CompQuality = QualityRAW;
    return;
  }
  ReadParam(camera, QualityParam, params);
}

void WriteQuality(prHandle camera, const Params& params) {
  if (params.CompQuality == 0) {
    return;
  }
  WritePRProperty(camera, FormatProperty,
                  params.CompQuality == QualityRAW ? FormatRAW : FormatJPEG);
  WriteParam(camera, QualityParam, params);
}

// Drive mode 2 stands for two public values, told apart by its setting.
void ReadDriveMode(prHandle camera, Params& params) {
  const auto mode = ReadPRProperty(camera, DriveModeProperty);
  if (!mode) {
    return;
  }
  if (*mode != DriveModeWithSetting) {
    params.DriveMode = DriveModeTable.ToValue(*mode);
    return;
  }
  if (const auto setting = ReadPRProperty(camera, DriveModeSettingProperty)) {
    params.DriveMode = DriveModeSettingTable.ToValue(*setting);
  }
}

void WriteDriveMode(prHandle camera, const Params& params) {
  const std::uint8_t value = params.DriveMode;
  if (value == 0) {
    return;
  }
  const std::uint32_t setting = DriveModeSettingTable.ToPRValue(value);
  if (setting == DriveModeSettingTable.Fallback()) {
    WriteParam(camera, DriveModeParam, params);
    return;
  }
  WritePRProperty(camera, DriveModeProperty, DriveModeWithSetting);
  WritePRProperty(camera, DriveModeSettingProperty, setting);
}

} // namespace

const std::array<const PRParam*, 14> PlainParams{
    &ExposureCompensation, &WhiteBalance, &AFDistance,         &AFFocusingPoint,
    &AFAssistLight,        &Strobe,       &StrobeCompensation, &Metering,
    &Sensitivity,          &Contrast,     &ColorGain,          &Sharpness,
    &PhotoEffect,          &Beep,
};

std::optional<std::uint32_t> ReadPRProperty(prHandle camera, PRProperty property) {
  std::array<std::uint8_t, 4> bytes{};
  prUInt32 size = property.Width;
  if (prapi::PR_GetDevicePropValue(camera, property.Code, &size, bytes.data()) != prOK) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (prUInt32 i = 0; i < property.Width; ++i) {
    value |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
  }
  return value;
}

void WritePRProperty(prHandle camera, PRProperty property, std::uint32_t value) {
  std::array<std::uint8_t, 4> bytes{};
  for (prUInt32 i = 0; i < property.Width; ++i) {
    bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  static_cast<void>(
      prapi::PR_SetDevicePropValue(camera, property.Code, property.Width, bytes.data()));
}

void ReadRemoteParams(prHandle camera, RemoteParamsType& params) {
  params = RemoteParamsType{};
  ReadParam(camera, ImageSizeParam, params);
  ReadQuality(camera, params);
  ReadParam(camera, ShootingModeParam, params);
  ReadDriveMode(camera, params);
  if (TakesAperture(params.ImageMode)) {
    ReadParam(camera, ApertureParam, params);
  }
  if (TakesShutterSpeed(params.ImageMode)) {
    ReadParam(camera, ShutterSpeedParam, params);
  }
  for (const PRParam* param : PlainParams) {
    ReadParam(camera, *param, params);
  }
}

void WriteRemoteParams(prHandle camera, const RemoteParamsType& params) {
  WriteParam(camera, ImageSizeParam, params);
  WriteQuality(camera, params);
  WriteParam(camera, ShootingModeParam, params);
  WriteDriveMode(camera, params);
  if (TakesAperture(params.ImageMode)) {
    WriteParam(camera, ApertureParam, params);
  }
  if (TakesShutterSpeed(params.ImageMode)) {
    WriteParam(camera, ShutterSpeedParam, params);
  }
  for (const PRParam* param : PlainParams) {
    WriteParam(camera, *param, params);
  }
}

} // namespace vostrel::pr
