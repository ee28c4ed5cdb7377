#include "powershot_pr/PRParameterProbe.h"

#include "core/ByteReader.h"

#include "powershot_pr/PRAPI.h"
#include "powershot_pr/PRRemoteParams.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vostrel::pr {

namespace {

// The buffer offered to PR_GetDevicePropDesc.
constexpr std::size_t DescriptionBufferSize = 1048576;

// Shooting modes (public values) switched to during the probe.
constexpr std::uint8_t ProgramMode = 2; // aperture and shutter speed are described in it
constexpr std::uint8_t AutoMode = 16;   // where the camera is left

constexpr std::int32_t StepCount = 21;

// One step: a parameter, and the shooting mode switched to after it.
struct ProbeStep {
  const PRParam& Param;
  std::optional<std::uint8_t> SwitchTo;
};

void SwitchShootingMode(prHandle camera, std::uint8_t mode) {
  WritePRProperty(camera, ShootingModeProperty, ShootingModeTable.ToPRValue(mode));
}

std::vector<std::uint32_t> Describe(prHandle camera, PRProperty property) {
  std::vector<std::uint8_t> buffer(DescriptionBufferSize);
  prUInt32 size = static_cast<prUInt32>(buffer.size());
  prapi::PR_GetDevicePropDesc.checked(camera, property.Code, &size, buffer.data());
  return DescribedValues(buffer.data(), std::min<std::size_t>(size, buffer.size()), property.Width);
}

// The format selector's RAW setting is quality 5.
void FlagRAWFormat(prHandle camera, const TPRSDK& backend, const PRParam& param,
                   SupportedParamValuesType& table) {
  if (!backend.ListsProperty(FormatProperty.Code)) {
    return;
  }
  for (const std::uint32_t value : Describe(camera, FormatProperty)) {
    if (value == FormatRAW) {
      table.SetSupported(param.Kind, QualityRAW, true);
    }
  }
}

// Flags the values of one offered parameter. Quality stands for two
// properties, each described only when the camera lists it.
void FlagDescribedValues(prHandle camera, const TPRSDK& backend, const PRParam& param,
                         SupportedParamValuesType& table) {
  if (&param == &QualityParam && !backend.ListsProperty(param.Property.Code)) {
    FlagRAWFormat(camera, backend, param, table);
    return;
  }
  for (const std::uint32_t value : Describe(camera, param.Property)) {
    if (&param == &DriveModeParam && value == DriveModeWithSetting) {
      table.SetSupported(param.Kind, DriveModeSettingTable.ToValue(100), true);
      table.SetSupported(param.Kind, DriveModeSettingTable.ToValue(20), true);
    } else {
      table.SetSupported(param.Kind, param.Conversion.ToValue(value), true);
    }
  }
  if (&param == &QualityParam) {
    FlagRAWFormat(camera, backend, param, table);
  }
}

std::int32_t Percentage(std::int32_t step) {
  // round(step / 21 * 100); never exactly half way.
  return (200 * step + StepCount) / (2 * StepCount);
}

} // namespace

std::vector<std::uint32_t> DescribedValues(const std::uint8_t* data, std::size_t size,
                                           std::uint32_t width) {
  ByteReader reader(data, size, "PR_GetDevicePropDesc delivered an incomplete description");
  // Code, data type, get/set, default and current value, form flag.
  const std::size_t countOffset = 2 + 2 + 1 + std::size_t{width} * 2 + 1;
  std::vector<std::uint32_t> values;
  if (!reader.Has(countOffset + 2)) {
    return values;
  }
  reader.Skip(countOffset);
  // A description shorter than its count ends where its data ends.
  const std::uint16_t described = reader.U16();
  const std::size_t count = std::min<std::size_t>(described, reader.ElementsLeft(width));
  values.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    values.push_back(reader.Unsigned(width));
  }
  return values;
}

void ProbeSupportedParams(prHandle camera, const TPRSDK& backend, SupportedParamValuesType& table,
                          const ProbeProgressFn& report) {
  const std::array<ProbeStep, 20> steps{{
      {ImageSizeParam, std::nullopt},   {QualityParam, std::nullopt},
      {ShootingModeParam, ProgramMode}, {ApertureParam, std::nullopt},
      {ShutterSpeedParam, AutoMode},    {*PlainParams[0], std::nullopt}, // exposure compensation
      {*PlainParams[1], std::nullopt},                                   // white balance
      {*PlainParams[2], std::nullopt},                                   // AF distance
      {*PlainParams[3], std::nullopt},                                   // AF focusing point
      {*PlainParams[4], std::nullopt},                                   // AF assist light
      {*PlainParams[5], std::nullopt},                                   // strobe
      {*PlainParams[6], std::nullopt},                                   // strobe compensation
      {DriveModeParam, std::nullopt},   {*PlainParams[7], std::nullopt}, // metering
      {*PlainParams[8], std::nullopt},                                   // ISO
      {*PlainParams[9], std::nullopt},                                   // contrast
      {*PlainParams[10], std::nullopt},                                  // colour gain
      {*PlainParams[11], std::nullopt},                                  // sharpness
      {*PlainParams[12], std::nullopt},                                  // photo effect
      {*PlainParams[13], std::nullopt},                                  // beep
  }};

  std::int32_t step = 1;
  report(Percentage(step));
  for (const ProbeStep& probe : steps) {
    const bool offered = backend.Supports(TPRSDK::CapabilityOfProperty(probe.Param.Property.Code));
    if (offered) {
      FlagDescribedValues(camera, backend, probe.Param, table);
    }
    table.SetSupported(probe.Param.Kind, 0, !offered);
    ++step;
    if (probe.SwitchTo) {
      SwitchShootingMode(camera, *probe.SwitchTo);
    }
    report(Percentage(step));
  }

  for (const TxRemoteParamType kind : {RemoteParamCompQualityPic2RAW, RemoteParamImageSizePic2RAW,
                                       RemoteParamColorSpace, RemoteParamAFMode}) {
    table.SetSupported(kind, 0, true);
  }
  table.SetSupported(RemoteParamWhiteBalanceShift, 0, false);
  table.SetSupported(RemoteParamPictureStyle, 0, false);
}

} // namespace vostrel::pr
