#include "powershot_cd/CDParameterProbe.h"

#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDRemoteParams.h"

#include <algorithm>
#include <array>
#include <vector>

namespace vostrel::cd {

namespace {

using namespace cdapi;

constexpr std::int32_t StepCount = 17;

// Shooting modes (codes) switched to during the probe: the one in which the
// camera takes an aperture and a shutter speed, and the one it is left in.
constexpr cdUInt32 ManualModeCode = 4;
constexpr cdUInt32 AutoModeCode = 1;

// A camera setting's value is read into a buffer of the size the SDK names,
// but never a larger one than this.
constexpr cdUInt32 LargestSettingSize = 256;

std::int32_t Percentage(std::int32_t step) {
  // round(step / 17 * 100); never exactly half way.
  return (200 * step + StepCount) / (2 * StepCount);
}

// Opens a value enumeration with `open` (false: the SDK cannot list the
// family), walks it with `walk` and releases it, also when the walk fails.
template <typename Open, typename Walk>
bool Enumerate(const FamilyRelease& release, Open open, Walk walk) {
  cdHandle enumeration = 0;
  if (!open(enumeration)) {
    return false;
  }
  try {
    walk(enumeration);
  } catch (...) {
    if (release.bound()) {
      static_cast<void>(release(enumeration));
    }
    throw;
  }
  release.checked(enumeration);
  return true;
}

cdUInt32 Count(const FamilyCount& count, cdHandle enumeration) {
  cdUInt32 n = 0;
  count.checked(enumeration, &n);
  return n;
}

// What a probe found for one row.
class RowFinder {
public:
  RowFinder(SupportedParamValuesType& table, TxRemoteParamType kind) : table_(table), kind_(kind) {}

  // A code the camera accepts; one without a public value flags nothing.
  void Found(std::uint8_t value) {
    found_ = true;
    if (value != 0) {
      table_.SetSupported(kind_, value, true);
    }
  }
  void Finish() { table_.SetSupported(kind_, 0, !found_); }

private:
  SupportedParamValuesType& table_;
  TxRemoteParamType kind_;
  bool found_ = false;
};

void ProbeImageFormat(cdHandle source, SupportedParamValuesType& table) {
  RowFinder quality(table, RemoteParamCompQuality);
  RowFinder size(table, RemoteParamImageSize);
  const bool listed = Enumerate(
      CDEnumImageFormatAttributeRelease,
      [&](cdHandle& e) { return CDEnumImageFormatAttributeReset(source, &e) == cdOK; },
      [&](cdHandle e) {
        for (cdUInt32 n = Count(CDGetImageFormatAttributeCount, e); n > 0; --n) {
          auto qualityCode = static_cast<cdUInt16>(QualityTable.NoValueCode());
          auto sizeCode = static_cast<cdUInt16>(ImageSizeTable.NoValueCode());
          CDEnumImageFormatAttributeNext.checked(e, &qualityCode, &sizeCode);
          quality.Found(QualityTable.ToValue(qualityCode));
          size.Found(ImageSizeTable.ToValue(sizeCode));
        }
      });
  if (!listed) {
    for (std::uint8_t q = 1; q <= 5; ++q) {
      for (std::uint8_t s = 1; s <= 6; ++s) {
        if (CDSetImageFormatAttribute(source, QualityTable.ToCode(q), ImageSizeTable.ToCode(s)) ==
            cdOK) {
          quality.Found(q);
          size.Found(s);
        }
      }
    }
  }
  quality.Finish();
  size.Finish();
}

// The codes of a family, or nothing when the SDK cannot list them; the walk
// flags each code's value. A next that delivers nothing flags no value, as
// every variable that receives a code starts from one without a value.
bool ListFamily(cdHandle source, const CDValueFamily& family, const CDConversion& conversion,
                RowFinder& row) {
  return Enumerate(
      family.Release, [&](cdHandle& e) { return family.Reset(source, &e) == cdOK; },
      [&](cdHandle e) {
        for (cdUInt32 n = Count(family.Count, e); n > 0; --n) {
          auto code = static_cast<cdUInt16>(conversion.NoValueCode());
          family.Next.checked(e, &code);
          row.Found(conversion.ToValue(code));
        }
      });
}

// `tryAll` false: a family the SDK cannot list finds nothing.
void ProbeCodeParam(cdHandle source, SupportedParamValuesType& table, const CDCodeParam& param,
                    std::uint8_t highest, bool tryAll = true) {
  RowFinder row(table, param.Kind);
  if (!ListFamily(source, param.Family, param.Conversion, row) && tryAll) {
    for (std::uint8_t v = 1; v <= highest; ++v) {
      if (param.Set(source, param.Conversion.ToCode(v)) == cdOK) {
        row.Found(v);
      }
    }
  }
  row.Finish();
}

void ProbeFlash(cdHandle source, SupportedParamValuesType& table) {
  RowFinder mode(table, RemoteParamStrobeSetting);
  if (!ListFamily(source, FlashModeFamily, FlashModeTable, mode)) {
    for (std::uint8_t v = 1; v <= 7; ++v) {
      if (CDSetFlashSetting(source, FlashModeTable.ToCode(v), FlashUnchanged) == cdOK) {
        mode.Found(v);
      }
    }
  }
  mode.Finish();
  RowFinder compensation(table, RemoteParamStrobeCompSetting);
  for (std::uint8_t v = 1; v <= 13; ++v) {
    if (CDSetFlashSetting(source, FlashUnchanged, CompensationTable.ToCode(v)) == cdOK) {
      compensation.Found(v);
    }
  }
  compensation.Finish();
}

void ProbeSetting(cdHandle source, SupportedParamValuesType& table, const CDSettingParam& param,
                  std::uint8_t highest) {
  RowFinder row(table, param.Kind);
  cdUInt32 valueSize = 0;
  const bool listed = Enumerate(
      CDEnumRelCamSettingDataRelease,
      [&](cdHandle& e) {
        if (CDEnumRelCamSettingDataReset(source, param.Code, &e, &valueSize) != cdOK) {
          return false;
        }
        valueSize = std::min(valueSize, LargestSettingSize);
        return true;
      },
      [&](cdHandle e) {
        std::vector<std::uint8_t> value(std::max<cdUInt32>(valueSize, 2));
        const std::uint32_t noValue = param.Conversion.NoValueCode();
        for (cdUInt32 n = Count(CDGetRelCamSettingDataCount, e); n > 0; --n) {
          std::fill(value.begin(), value.end(), std::uint8_t{0});
          value[0] = static_cast<std::uint8_t>(noValue);
          value[1] = static_cast<std::uint8_t>(noValue >> 8);
          CDEnumRelCamSettingDataNext.checked(e, valueSize, static_cast<void*>(value.data()));
          const std::uint32_t code = param.Size == 1 ? value[0] : value[0] | value[1] << 8;
          row.Found(param.Conversion.ToValue(code));
        }
      });
  if (!listed) {
    for (std::uint8_t v = 1; v <= highest; ++v) {
      if (WriteSetting(source, param.Code, param.Size, param.Conversion.ToCode(v)) == cdOK) {
        row.Found(v);
      }
    }
  }
  row.Finish();
}

} // namespace

void ProbeSupportedParams(cdHandle source, SupportedParamValuesType& table,
                          const ProbeProgressFn& report) {
  std::int32_t step = 1;
  const auto advance = [&](std::int32_t by) {
    step += by;
    report(Percentage(step));
  };
  report(Percentage(step));

  ProbeImageFormat(source, table);
  advance(2);
  ProbeCodeParam(source, table, ImageModeParam, 36);
  advance(1);
  // Aperture and shutter speed are tried in the mode that takes both.
  const bool manual = CDSetShootingMode(source, ManualModeCode) == cdOK;
  ProbeCodeParam(source, table, ApertureParam, 40, manual);
  advance(1);
  ProbeCodeParam(source, table, ShutterSpeedParam, 59, manual);
  advance(1);
  static_cast<void>(CDSetShootingMode(source, AutoModeCode));
  ProbeCodeParam(source, table, ExposureCompensationParam, 13);
  advance(1);
  ProbeCodeParam(source, table, WhiteBalanceParam, 16);
  advance(1);
  ProbeCodeParam(source, table, AFDistanceParam, 12);
  advance(1);
  ProbeFlash(source, table);
  advance(2);

  // Metering, sensitivity, contrast, colour gain, sharpness, photo effect;
  // the beep comes last and reports nothing.
  constexpr std::array<std::uint8_t, 7> Highest{6, 20, 3, 3, 3, 6, 2};
  for (std::size_t i = 0; i < SettingParams.size(); ++i) {
    ProbeSetting(source, table, SettingParams[i], Highest[i]);
    if (i + 1 < SettingParams.size()) {
      advance(1);
    }
  }

  for (const TxRemoteParamType kind :
       {RemoteParamCompQualityPic2RAW, RemoteParamImageSizePic2RAW, RemoteParamDriveMode,
        RemoteParamAFMode, RemoteParamAFFocusingPoint, RemoteParamAFAssistLight,
        RemoteParamColorSpace}) {
    table.SetSupported(kind, 0, true);
  }
  table.SetSupported(RemoteParamWhiteBalanceShift, 0, false);
  table.SetSupported(RemoteParamPictureStyle, 0, false);
  report(Percentage(step));
}

} // namespace vostrel::cd
