#include "tools/ParamNames.h"

#include "core/CamDefines.h"
#include "tools/TextTools.h"

namespace vostrel::tools {

const std::vector<ParamName>& RemoteParamNames() {
  static const std::vector<ParamName> names{
      {RemoteParamCompQuality, "CompQuality"},
      {RemoteParamCompQualityPic2RAW, "CompQualityPic2RAW"},
      {RemoteParamImageSize, "ImageSize"},
      {RemoteParamImageSizePic2RAW, "ImageSizePic2RAW"},
      {RemoteParamStrobeSetting, "StrobeSetting"},
      {RemoteParamStrobeCompSetting, "StrobeCompSetting"},
      {RemoteParamDriveMode, "DriveMode"},
      {RemoteParamImageMode, "ImageMode"},
      {RemoteParamMLWeiMode, "MLWeiMode"},
      {RemoteParamAFMode, "AFMode"},
      {RemoteParamAFDistance, "AFDistance"},
      {RemoteParamAFFocusingPoint, "AFFocusingPoint"},
      {RemoteParamAFAssistLight, "AFAssistLight"},
      {RemoteParamWhiteBalanceSetting, "WhiteBalanceSetting"},
      {RemoteParamWhiteBalanceKelvin, "WhiteBalanceKelvin"},
      {RemoteParamWhiteBalanceShift, "WhiteBalanceShift"},
      {RemoteParamPictureStyle, "PictureStyle"},
      {RemoteParamContrast, "Contrast"},
      {RemoteParamColorGain, "ColorGain"},
      {RemoteParamSharpness, "Sharpness"},
      {RemoteParamColorSpace, "ColorSpace"},
      {RemoteParamISO, "ISO"},
      {RemoteParamAv, "Av"},
      {RemoteParamTv, "Tv"},
      {RemoteParamExposureCompensation, "ExposureCompensation"},
      {RemoteParamPhotoEffect, "PhotoEffect"},
      {RemoteParamBeep, "Beep"},
  };
  return names;
}

const std::vector<ParamName>& PictureStyleNames() {
  static const std::vector<ParamName> names{
      {RemoteParamPictureStyleEnabled, "Enabled"},
      {RemoteParamPictureStyleContrast, "Contrast"},
      {RemoteParamPictureStyleSharpness, "Sharpness"},
      {RemoteParamPictureStyleSaturation, "Saturation"},
      {RemoteParamPictureStyleSaturationUsed, "SaturationUsed"},
      {RemoteParamPictureStyleColorTone, "ColorTone"},
      {RemoteParamPictureStyleColorToneUsed, "ColorToneUsed"},
      {RemoteParamPictureStyleMonochromeFilter, "MonochromeFilter"},
      {RemoteParamPictureStyleMonochromeFilterUsed, "MonochromeFilterUsed"},
      {RemoteParamPictureStyleMonochromeTone, "MonochromeTone"},
      {RemoteParamPictureStyleMonochromeToneUsed, "MonochromeToneUsed"},
  };
  return names;
}

const std::vector<ParamName>& WhitebalanceShiftNames() {
  static const std::vector<ParamName> names{
      {RemoteParamWhitebalanceShiftWBShiftEnabled, "WBShiftEnabled"},
      {RemoteParamWhitebalanceShiftAmberBlue, "AmberBlue"},
      {RemoteParamWhitebalanceShiftGreenMagenta, "GreenMagenta"},
  };
  return names;
}

// Other names people use for the plain kinds.
const std::vector<ParamName>& RemoteParamAliases() {
  static const std::vector<ParamName> names{
      {RemoteParamCompQuality, "Quality"},       {RemoteParamImageSize, "Size"},
      {RemoteParamStrobeSetting, "Flash"},       {RemoteParamDriveMode, "Drive"},
      {RemoteParamMLWeiMode, "Metering"},        {RemoteParamWhiteBalanceSetting, "WhiteBalance"},
      {RemoteParamWhiteBalanceKelvin, "Kelvin"}, {RemoteParamAv, "Aperture"},
      {RemoteParamTv, "ShutterSpeed"},
  };
  return names;
}

std::optional<std::int32_t> FindParamKind(const std::vector<ParamName>& names,
                                          const std::string& text) {
  const std::string wanted = Lowercase(text);
  for (const ParamName& name : names) {
    if (Lowercase(name.Name) == wanted) {
      return name.Kind;
    }
  }
  if (&names == &RemoteParamNames()) {
    for (const ParamName& name : RemoteParamAliases()) {
      if (Lowercase(name.Name) == wanted) {
        return name.Kind;
      }
    }
  }
  // A kind number of the list, as the automation interface numbers it.
  const std::optional<std::int32_t> number = ParseInteger(text);
  for (const ParamName& name : names) {
    if (number && name.Kind == *number) {
      return name.Kind;
    }
  }
  return std::nullopt;
}

} // namespace vostrel::tools
