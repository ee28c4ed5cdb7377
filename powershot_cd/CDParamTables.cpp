#include "powershot_cd/CDParamTables.h"

#include "core/CamLib.h"
#include "core/CodeTableChecks.h"

namespace vostrel::cd {

namespace {

// Beyond the shared check, every value converts to its code and back.
constexpr bool IsSoundTable(const CDCodeTable& table, TxRemoteParamType kind) {
  const auto rows = table.Rows();
  if (!HasLosslessRows(rows, kind, table.Fallback(), [](const auto& row) { return row.Code; })) {
    return false;
  }
  for (const CDValueCode& row : rows) {
    if (table.ToValue(table.ToCode(row.Value)) != row.Value) {
      return false;
    }
  }
  return true;
}

static_assert(IsSoundTable(QualityTable, RemoteParamCompQuality));
static_assert(IsSoundTable(ImageSizeTable, RemoteParamImageSize));
static_assert(IsSoundTable(ImageModeTable, RemoteParamImageMode));
static_assert(IsSoundTable(CompensationTable, RemoteParamExposureCompensation));
static_assert(IsSoundTable(CompensationTable, RemoteParamStrobeCompSetting));
static_assert(IsSoundTable(WhiteBalanceTable, RemoteParamWhiteBalanceSetting));
static_assert(IsSoundTable(AFDistanceTable, RemoteParamAFDistance));
static_assert(IsSoundTable(FlashModeTable, RemoteParamStrobeSetting));
static_assert(IsSoundTable(MeteringTable, RemoteParamMLWeiMode));
static_assert(IsSoundTable(ContrastTable, RemoteParamContrast));
static_assert(IsSoundTable(ContrastTable, RemoteParamColorGain));
static_assert(IsSoundTable(SharpnessTable, RemoteParamSharpness));
static_assert(IsSoundTable(PhotoEffectTable, RemoteParamPhotoEffect));
static_assert(IsSoundTable(BeepTable, RemoteParamBeep));
// Every image mode and white balance of the public rows has a code.
static_assert(ImageModeRows.size() == 36 && WhiteBalanceRows.size() == 16);
static_assert(WhiteBalanceTable.ToCode(WhiteBalanceColorTemperature) == 9);
static_assert(WhiteBalanceTable.ToValue(13) == 0);
// Only the low seven bits count, except where the whole byte is looked at.
static_assert(QualityTable.ToCode(129) == QualityTable.ToCode(1));
static_assert(ContrastTable.ToCode(129) == ContrastTable.Fallback());
static_assert(PhotoEffectTable.ToCode(2) == 0xFFFF);

std::uint8_t ApertureToValue(std::uint32_t code) {
  return CamLib::ApertureCodeToValue(static_cast<std::uint16_t>(code));
}
std::uint32_t ApertureToCode(std::uint32_t value) {
  return CamLib::ApertureValueToCode(value);
}

std::uint8_t ShutterSpeedToValue(std::uint32_t code) {
  return CamLib::ShutterSpeedCodeToValue(static_cast<std::uint16_t>(code));
}
std::uint32_t ShutterSpeedToCode(std::uint32_t value) {
  return CamLib::ShutterSpeedValueToCode(value);
}

std::uint8_t SensitivityToValue(std::uint32_t code) {
  return CamLib::SensitivityCodeToValue(static_cast<std::uint8_t>(code & 0xFF));
}
std::uint32_t SensitivityToCode(std::uint32_t value) {
  return CamLib::SensitivityValueToCode(value);
}

} // namespace

// Aperture and shutter-speed code 0 lie below their scales; sensitivity code
// 0 is the automatic setting, while the code written for a value off its
// scale reads back as none.
const CDCodeScale ApertureScale{ApertureToValue, ApertureToCode, 0};
const CDCodeScale ShutterSpeedScale{ShutterSpeedToValue, ShutterSpeedToCode, 0};
const CDCodeScale SensitivityScale{SensitivityToValue, SensitivityToCode, CamLib::InvalidCode8};

} // namespace vostrel::cd
