#include "eos/EOSParamTables.h"

#include "core/CamDefines.h"
#include "core/CamLib.h"

namespace vostrel::eos {

namespace {

// A table must convert both ways without loss: every public value and every
// code appears once, value 0 (no value) never, the no-value code is no real
// code, and every value lies within the kind's row of supported values.
constexpr std::size_t RowLength(TxRemoteParamType kind) {
  for (const SupportedParamRow& row : SupportedParamRows) {
    if (row.Kind == kind) {
      return row.Length;
    }
  }
  return 0;
}

constexpr bool IsSoundTable(const CodeTable& table, TxRemoteParamType kind) {
  const std::size_t rowLength = RowLength(kind);
  const auto rows = table.Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Value == 0 || rows[i].Value >= rowLength || rows[i].Code == table.NoValueCode()) {
      return false;
    }
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      if (rows[i].Value == rows[j].Value || rows[i].Code == rows[j].Code) {
        return false;
      }
    }
  }
  return true;
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
