#include "eos/EOSParamTables.h"

#include "core/CamDefines.h"
#include "core/CamLib.h"
#include "core/CodeTableChecks.h"

namespace vostrel::eos {

namespace {

// The no-value code is no real code.
constexpr bool IsSoundTable(const CodeTable& table, TxRemoteParamType kind) {
  return HasLosslessRows(table.Rows(), kind, table.NoValueCode(),
                         [](const auto& row) { return row.Code; });
}

static_assert(IsSoundTable(CompQualityTable, RemoteParamCompQuality));
static_assert(IsSoundTable(CompQualityTable, RemoteParamCompQualityPic2RAW));
static_assert(IsSoundTable(ImageSizeTable, RemoteParamImageSize));
static_assert(IsSoundTable(ImageSizeTable, RemoteParamImageSizePic2RAW));
static_assert(IsSoundTable(ImageModeTable, RemoteParamImageMode));
static_assert(IsSoundTable(DriveModeTable, RemoteParamDriveMode));
static_assert(IsSoundTable(MeteringModeTable, RemoteParamMLWeiMode));
static_assert(IsSoundTable(AFModeTable, RemoteParamAFMode));
static_assert(IsSoundTable(WhiteBalanceTable, RemoteParamWhiteBalanceSetting));
static_assert(IsSoundTable(ColorSpaceTable, RemoteParamColorSpace));
static_assert(IsSoundTable(ExposureCompensationTable, RemoteParamExposureCompensation));
static_assert(IsSoundTable(PhotoEffectTable, RemoteParamPhotoEffect));
static_assert(WhiteBalanceTable.ToCode(WhiteBalanceColorTemperature) == 9);

std::uint8_t ApertureToValue(std::uint32_t code) {
  return CamLib::ApertureCodeToValue(static_cast<std::uint16_t>(code));
}
std::int32_t ApertureToCode(std::uint32_t value) {
  return CamLib::ApertureValueToCode(value);
}

std::uint8_t ShutterSpeedToValue(std::uint32_t code) {
  return CamLib::ShutterSpeedCodeToValue(static_cast<std::uint16_t>(code));
}
std::int32_t ShutterSpeedToCode(std::uint32_t value) {
  return CamLib::ShutterSpeedValueToCode(value);
}

std::uint8_t SensitivityToValue(std::uint32_t code) {
  return CamLib::SensitivityCodeToValue(static_cast<std::uint8_t>(code));
}
std::int32_t SensitivityToCode(std::uint32_t value) {
  return CamLib::SensitivityValueToCode(value);
}

} // namespace

const CodeScale ApertureScale{ApertureToValue, ApertureToCode, CamLib::InvalidCode16,
                              CodeBits::Low16Bits};
const CodeScale ShutterSpeedScale{ShutterSpeedToValue, ShutterSpeedToCode, CamLib::InvalidCode16,
                                  CodeBits::Low16Bits};
const CodeScale SensitivityScale{SensitivityToValue, SensitivityToCode, CamLib::InvalidCode8,
                                 CodeBits::LowByte};

} // namespace vostrel::eos
