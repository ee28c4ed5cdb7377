#include "powershot_cd/CDRemoteParams.h"

#include <type_traits>

namespace vostrel::cd {

using namespace cdapi;
using Params = RemoteParamsType;

// One set of prototypes serves every family.
#define VOSTREL_CD_SAME_FAMILY_CALLS(Get, Set, Reset, Count, Next, Release)                        \
  static_assert(std::is_same_v<Get##Fn, CDGetAvValueFn> &&                                         \
                std::is_same_v<Set##Fn, CDSetAvValueFn> &&                                         \
                std::is_same_v<Reset##Fn, CDEnumAvValueResetFn> &&                                 \
                std::is_same_v<Count##Fn, CDGetAvValueCountFn> &&                                  \
                std::is_same_v<Next##Fn, CDEnumAvValueNextFn> &&                                   \
                std::is_same_v<Release##Fn, CDEnumAvValueReleaseFn>)
VOSTREL_CD_SAME_FAMILY_CALLS(CDGetShootingMode, CDSetShootingMode, CDEnumShootingModeReset,
                             CDGetShootingModeCount, CDEnumShootingModeNext,
                             CDEnumShootingModeRelease);
VOSTREL_CD_SAME_FAMILY_CALLS(CDGetTvValue, CDSetTvValue, CDEnumTvValueReset, CDGetTvValueCount,
                             CDEnumTvValueNext, CDEnumTvValueRelease);
VOSTREL_CD_SAME_FAMILY_CALLS(CDGetExposureComp, CDSetExposureComp, CDEnumExposureCompReset,
                             CDGetExposureCompCount, CDEnumExposureCompNext,
                             CDEnumExposureCompRelease);
VOSTREL_CD_SAME_FAMILY_CALLS(CDGetWBSetting, CDSetWBSetting, CDEnumWBSettingReset,
                             CDGetWBSettingCount, CDEnumWBSettingNext, CDEnumWBSettingRelease);
VOSTREL_CD_SAME_FAMILY_CALLS(CDGetAFDistanceSetting, CDSetAFDistanceSetting,
                             CDEnumAFDistanceSettingReset, CDGetAFDistanceSettingCount,
                             CDEnumAFDistanceSettingNext, CDEnumAFDistanceSettingRelease);
static_assert(std::is_same_v<CDEnumFlashSettingResetFn, CDEnumAvValueResetFn> &&
              std::is_same_v<CDEnumFlashSettingNextFn, CDEnumAvValueNextFn> &&
              std::is_same_v<CDEnumImageFormatAttributeResetFn, CDEnumAvValueResetFn> &&
              std::is_same_v<CDGetImageFormatAttributeCountFn, CDGetAvValueCountFn>);
#undef VOSTREL_CD_SAME_FAMILY_CALLS

const CDCodeParam ImageModeParam{RemoteParamImageMode,
                                 &Params::ImageMode,
                                 ImageModeTable,
                                 CDGetShootingMode,
                                 CDSetShootingMode,
                                 {CDEnumShootingModeReset, CDGetShootingModeCount,
                                  CDEnumShootingModeNext, CDEnumShootingModeRelease}};
const CDCodeParam ApertureParam{
    RemoteParamAv,
    &Params::Av,
    ApertureScale,
    CDGetAvValue,
    CDSetAvValue,
    {CDEnumAvValueReset, CDGetAvValueCount, CDEnumAvValueNext, CDEnumAvValueRelease}};
const CDCodeParam ShutterSpeedParam{
    RemoteParamTv,
    &Params::Tv,
    ShutterSpeedScale,
    CDGetTvValue,
    CDSetTvValue,
    {CDEnumTvValueReset, CDGetTvValueCount, CDEnumTvValueNext, CDEnumTvValueRelease}};
const CDCodeParam ExposureCompensationParam{RemoteParamExposureCompensation,
                                            &Params::ExposureCompensation,
                                            CompensationTable,
                                            CDGetExposureComp,
                                            CDSetExposureComp,
                                            {CDEnumExposureCompReset, CDGetExposureCompCount,
                                             CDEnumExposureCompNext, CDEnumExposureCompRelease}};
const CDCodeParam WhiteBalanceParam{
    RemoteParamWhiteBalanceSetting,
    &Params::WhiteBalanceSetting,
    WhiteBalanceTable,
    CDGetWBSetting,
    CDSetWBSetting,
    {CDEnumWBSettingReset, CDGetWBSettingCount, CDEnumWBSettingNext, CDEnumWBSettingRelease}};
const CDCodeParam AFDistanceParam{RemoteParamAFDistance,
                                  &Params::AFDistance,
                                  AFDistanceTable,
                                  CDGetAFDistanceSetting,
                                  CDSetAFDistanceSetting,
                                  {CDEnumAFDistanceSettingReset, CDGetAFDistanceSettingCount,
                                   CDEnumAFDistanceSettingNext, CDEnumAFDistanceSettingRelease}};

const CDValueFamily FlashModeFamily{CDEnumFlashSettingReset, CDGetFlashSettingCount,
                                    CDEnumFlashSettingNext, CDEnumFlashSettingRelease};

const std::array<CDSettingParam, 7> SettingParams{{
    {RemoteParamMLWeiMode, &Params::MLWeiMode, MeteringTable, 0x08000004, 1},
    {RemoteParamISO, &Params::ISO, SensitivityScale, 0x0800000C, 2},
    {RemoteParamContrast, &Params::Contrast, ContrastTable, 0x08000008, 1},
    {RemoteParamColorGain, &Params::ColorGain, ContrastTable, 0x08000009, 1},
    {RemoteParamSharpness, &Params::Sharpness, SharpnessTable, 0x0800000A, 1},
    {RemoteParamPhotoEffect, &Params::PhotoEffect, PhotoEffectTable, 0x08000B00, 2},
    {RemoteParamBeep, &Params::Beep, BeepTable, 0x08000002, 1},
}};

namespace {

// Every variable that receives a code starts from one without a public
// value, so that a read that delivers nothing leaves its field 0, as a read
// that fails does.
cdUInt16 NoValue(const CDConversion& conversion) {
  return static_cast<cdUInt16>(conversion.NoValueCode());
}

// A 16-bit code read by one call; nothing when the call fails.
bool ReadCode(const CodeGet& get, cdHandle source, cdUInt16& code) {
  return get(source, &code) == cdOK;
}

void ReadParam(cdHandle source, const CDCodeParam& param, Params& params) {
  cdUInt16 code = NoValue(param.Conversion);
  if (ReadCode(param.Get, source, code)) {
    params.*param.Field = param.Conversion.ToValue(code);
  }
}

void WriteParam(cdHandle source, const CDCodeParam& param, const Params& params) {
  if (const std::uint8_t value = params.*param.Field; value != 0) {
    static_cast<void>(param.Set(source, param.Conversion.ToCode(value)));
  }
}

// A camera setting of up to 2 bytes, little-endian, into `value`, which
// holds what the buffer starts from; the size passed is the buffer's, so the
// SDK never writes beyond it.
bool ReadSetting(cdHandle source, cdUInt32 setting, cdUInt32 size, std::uint32_t& value) {
  std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
  cdUInt32 length = size;
  if (CDGetRelCamSettingData(source, setting, &length, bytes) != cdOK) {
    return false;
  }
  value = size == 1 ? bytes[0] : static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8);
  return true;
}

void ReadSettingParam(cdHandle source, const CDSettingParam& param, Params& params) {
  std::uint32_t value = param.Conversion.NoValueCode();
  if (ReadSetting(source, param.Code, param.Size, value)) {
    params.*param.Field = param.Conversion.ToValue(value);
  }
}

} // namespace

cdError WriteSetting(cdHandle source, cdUInt32 setting, cdUInt32 size, std::uint32_t code) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(code),
                                 static_cast<std::uint8_t>(code >> 8)};
  return CDSetRelCamSettingData(source, setting, size, static_cast<const void*>(bytes));
}

void ReadRemoteParams(cdHandle source, Params& params) {
  params = Params{};
  cdUInt16 quality = NoValue(QualityTable);
  cdUInt16 size = NoValue(ImageSizeTable);
  if (CDGetImageFormatAttribute(source, &quality, &size) == cdOK) {
    params.CompQuality = QualityTable.ToValue(quality);
    params.ImageSize = ImageSizeTable.ToValue(size);
  }
  ReadParam(source, ImageModeParam, params);
  ReadParam(source, ApertureParam, params);
  ReadParam(source, ShutterSpeedParam, params);
  ReadParam(source, ExposureCompensationParam, params);

  cdUInt16 whiteBalance = NoValue(WhiteBalanceTable);
  if (ReadCode(WhiteBalanceParam.Get, source, whiteBalance)) {
    params.WhiteBalanceSetting = WhiteBalanceTable.ToValue(whiteBalance);
    std::uint32_t kelvin = 0;
    if (params.WhiteBalanceSetting == WhiteBalanceColorTemperature &&
        ReadSetting(source, KelvinSetting, KelvinSize, kelvin)) {
      params.WhiteBalanceKelvin = static_cast<std::int32_t>(kelvin);
    }
  }
  ReadParam(source, AFDistanceParam, params);

  cdUInt16 flashMode = NoValue(FlashModeTable);
  cdUInt16 flashCompensation = NoValue(CompensationTable);
  if (CDGetFlashSetting(source, &flashMode, &flashCompensation) == cdOK) {
    params.StrobeSetting = FlashModeTable.ToValue(flashMode);
    params.StrobeCompSetting = CompensationTable.ToValue(flashCompensation);
  }
  for (const CDSettingParam& param : SettingParams) {
    ReadSettingParam(source, param, params);
  }
}

void WriteRemoteParams(cdHandle source, const Params& params) {
  if (params.CompQuality != 0 && params.ImageSize != 0) {
    static_cast<void>(CDSetImageFormatAttribute(source, QualityTable.ToCode(params.CompQuality),
                                                ImageSizeTable.ToCode(params.ImageSize)));
  }
  WriteParam(source, ImageModeParam, params);
  WriteParam(source, ApertureParam, params);
  WriteParam(source, ShutterSpeedParam, params);
  WriteParam(source, ExposureCompensationParam, params);
  WriteParam(source, WhiteBalanceParam, params);
  if (params.WhiteBalanceSetting == WhiteBalanceColorTemperature) {
    static_cast<void>(WriteSetting(source, KelvinSetting, KelvinSize,
                                   static_cast<std::uint32_t>(params.WhiteBalanceKelvin) & 0xFFFF));
  }
  WriteParam(source, AFDistanceParam, params);
  if (params.StrobeSetting != 0) {
    static_cast<void>(
        CDSetFlashSetting(source, FlashModeTable.ToCode(params.StrobeSetting), FlashUnchanged));
  }
  if (params.StrobeCompSetting != 0) {
    static_cast<void>(CDSetFlashSetting(source, FlashUnchanged,
                                        CompensationTable.ToCode(params.StrobeCompSetting)));
  }
  for (const CDSettingParam& param : SettingParams) {
    if (const std::uint8_t value = params.*param.Field; value != 0) {
      static_cast<void>(
          WriteSetting(source, param.Code, param.Size, param.Conversion.ToCode(value)));
    }
  }
}

} // namespace vostrel::cd
