#include "powershot_pr/PRParamTables.h"

#include "core/CamLib.h"
#include "core/CodeTableChecks.h"

namespace vostrel::pr {

namespace {

// Beyond the shared check on the two-way rows, a read-only row names a value
// that writes, with a PR value of its own.
constexpr bool IsSoundTable(const PRCodeTable& table, TxRemoteParamType kind) {
  const auto rows = table.Rows();
  if (!HasLosslessRows(rows, kind, table.Fallback(), [](const auto& row) { return row.PRValue; })) {
    return false;
  }
  for (const PRValueCode& alias : table.ReadOnlyRows()) {
    if (table.ToPRValue(alias.Value) == table.Fallback()) {
      return false;
    }
    for (const PRValueCode& row : rows) {
      if (row.PRValue == alias.PRValue) {
        return false;
      }
    }
  }
  return true;
}

static_assert(IsSoundTable(ImageSizeTable, RemoteParamImageSize));
static_assert(IsSoundTable(QualityTable, RemoteParamCompQuality));
static_assert(IsSoundTable(ShootingModeTable, RemoteParamImageMode));
static_assert(IsSoundTable(DriveModeTable, RemoteParamDriveMode));
static_assert(IsSoundTable(DriveModeSettingTable, RemoteParamDriveMode));
static_assert(IsSoundTable(ExposureCompensationTable, RemoteParamExposureCompensation));
static_assert(IsSoundTable(ExposureCompensationTable, RemoteParamStrobeCompSetting));
static_assert(IsSoundTable(WhiteBalanceTable, RemoteParamWhiteBalanceSetting));
static_assert(IsSoundTable(AFDistanceTable, RemoteParamAFDistance));
static_assert(IsSoundTable(StrobeTable, RemoteParamStrobeSetting));
static_assert(IsSoundTable(MeteringTable, RemoteParamMLWeiMode));
static_assert(IsSoundTable(ThreeLevelTable, RemoteParamContrast));
static_assert(IsSoundTable(ThreeLevelTable, RemoteParamColorGain));
static_assert(IsSoundTable(ThreeLevelTable, RemoteParamSharpness));
static_assert(IsSoundTable(PhotoEffectTable, RemoteParamPhotoEffect));
static_assert(IsSoundTable(BeepTable, RemoteParamBeep));
static_assert(IsSoundTable(ISOTable, RemoteParamISO));
static_assert(IsSoundTable(AFFocusingPointTable, RemoteParamAFFocusingPoint));
// The assist light's fallback is on purpose the PR value of "off".
static_assert(IsSoundTable(PRCodeTable{AFAssistLightRows, 0xFF}, RemoteParamAFAssistLight));
static_assert(AFAssistLightTable.ToPRValue(9) == AFAssistLightTable.ToPRValue(2));
// The drive-mode setting and the drive mode with a setting share no value.
static_assert(DriveModeTable.ToValue(DriveModeWithSetting) == 0);
static_assert(DriveModeTable.ToPRValue(6) == 255 && DriveModeTable.ToPRValue(7) == 255);
static_assert(WhiteBalanceTable.ToValue(14) == 7 && WhiteBalanceTable.ToPRValue(7) == 7);

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

} // namespace

const PRCodeScale ApertureScale{ApertureToValue, ApertureToCode, 0xFFFF};
const PRCodeScale ShutterSpeedScale{ShutterSpeedToValue, ShutterSpeedToCode, 0xFFFF};

} // namespace vostrel::pr
