#include "activex/RemoteParamFields.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace vostrel {

namespace {

// One byte of RemoteParamsType, and whether it holds a signed value.
struct ByteField {
  std::size_t Offset;
  bool Signed;
};

constexpr ByteField Unsigned(std::size_t offset) {
  return {offset, false};
}
constexpr ByteField Signed(std::size_t offset) {
  return {offset, true};
}

// The byte of each plain kind of TxRemoteParamType. The Kelvin value (14) is
// a 32-bit field, and the white-balance shift (15) and the picture style (16)
// are groups read and set through their own calls. Note that the record keeps
// the image mode before the drive mode.
constexpr std::array<std::optional<ByteField>, RemoteParamBeep + 1> PlainFields{{
    Unsigned(offsetof(RemoteParamsType, CompQuality)),
    Unsigned(offsetof(RemoteParamsType, CompQualityPic2RAW)),
    Unsigned(offsetof(RemoteParamsType, ImageSize)),
    Unsigned(offsetof(RemoteParamsType, ImageSizePic2RAW)),
    Unsigned(offsetof(RemoteParamsType, StrobeSetting)),
    Unsigned(offsetof(RemoteParamsType, StrobeCompSetting)),
    Unsigned(offsetof(RemoteParamsType, DriveMode)),
    Unsigned(offsetof(RemoteParamsType, ImageMode)),
    Unsigned(offsetof(RemoteParamsType, MLWeiMode)),
    Unsigned(offsetof(RemoteParamsType, AFMode)),
    Unsigned(offsetof(RemoteParamsType, AFDistance)),
    Unsigned(offsetof(RemoteParamsType, AFFocusingPoint)),
    Unsigned(offsetof(RemoteParamsType, AFAssistLight)),
    Unsigned(offsetof(RemoteParamsType, WhiteBalanceSetting)),
    std::nullopt, // RemoteParamWhiteBalanceKelvin
    std::nullopt, // RemoteParamWhiteBalanceShift
    std::nullopt, // RemoteParamPictureStyle
    Unsigned(offsetof(RemoteParamsType, Contrast)),
    Unsigned(offsetof(RemoteParamsType, ColorGain)),
    Unsigned(offsetof(RemoteParamsType, Sharpness)),
    Unsigned(offsetof(RemoteParamsType, ColorSpace)),
    Unsigned(offsetof(RemoteParamsType, ISO)),
    Unsigned(offsetof(RemoteParamsType, Av)),
    Unsigned(offsetof(RemoteParamsType, Tv)),
    Unsigned(offsetof(RemoteParamsType, ExposureCompensation)),
    Unsigned(offsetof(RemoteParamsType, PhotoEffect)),
    Unsigned(offsetof(RemoteParamsType, Beep)),
}};

// The bytes of TxRemoteParamPictureStyleType, in kind order.
constexpr std::array<ByteField, RemoteParamPictureStyleMonochromeToneUsed + 1> PictureStyleFields{{
    Unsigned(offsetof(RemoteParamsType, PictureStyleEnabled)),
    Signed(offsetof(RemoteParamsType, PictureStyleContrast)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleSharpness)),
    Signed(offsetof(RemoteParamsType, PictureStyleSaturation)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleSaturationUsed)),
    Signed(offsetof(RemoteParamsType, PictureStyleColorTone)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleColorToneUsed)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleMonochromeFilter)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleMonochromeFilterUsed)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleMonochromeTone)),
    Unsigned(offsetof(RemoteParamsType, PictureStyleMonochromeToneUsed)),
}};

// The bytes of TxRemoteParamWhitebalanceShiftType, in kind order.
constexpr std::array<ByteField, RemoteParamWhitebalanceShiftGreenMagenta + 1>
    WhitebalanceShiftFields{{
        Unsigned(offsetof(RemoteParamsType, WBShiftEnabled)),
        Signed(offsetof(RemoteParamsType, WBShiftAmberBlue)),
        Signed(offsetof(RemoteParamsType, WBShiftGreenMagenta)),
    }};

// The four image-quality kinds, which the cameras take only together.
constexpr std::array<std::int32_t, 4> ImageQualityKinds{
    RemoteParamCompQuality, RemoteParamCompQualityPic2RAW, RemoteParamImageSize,
    RemoteParamImageSizePic2RAW};

std::int32_t Read(const RemoteParamsType& params, ByteField field) {
  std::uint8_t byte = 0;
  std::memcpy(&byte, reinterpret_cast<const unsigned char*>(&params) + field.Offset, 1);
  return field.Signed ? static_cast<std::int32_t>(static_cast<std::int8_t>(byte)) : byte;
}

// Stores the low 8 bits of the value.
void Write(RemoteParamsType& params, ByteField field, std::int32_t value) {
  const auto byte = static_cast<std::uint8_t>(value);
  std::memcpy(reinterpret_cast<unsigned char*>(&params) + field.Offset, &byte, 1);
}

// The entry of a table for a kind taken modulo 256, or null beyond the table.
template <typename Table>
const typename Table::value_type* Entry(const Table& table, std::int32_t kind) {
  const auto index = static_cast<std::uint8_t>(kind);
  return index < table.size() ? &table[index] : nullptr;
}

std::optional<ByteField> PlainField(std::int32_t kind) {
  if (kind < 0 || static_cast<std::size_t>(kind) >= PlainFields.size()) {
    return std::nullopt;
  }
  return PlainFields[static_cast<std::size_t>(kind)];
}

std::uint8_t Flag(bool value) {
  return value ? 1 : 0;
}

} // namespace

// ---------------------------------------------------------------------------
// Reading

std::int32_t RemoteParamField(const RemoteParamsType& params, std::int32_t kind) {
  if (static_cast<std::uint8_t>(kind) == RemoteParamWhiteBalanceKelvin) {
    return params.WhiteBalanceKelvin;
  }
  const std::optional<ByteField>* field = Entry(PlainFields, kind);
  return field != nullptr && field->has_value() ? Read(params, **field) : 0;
}

std::int32_t PictureStyleField(const RemoteParamsType& params, std::int32_t kind) {
  const ByteField* field = Entry(PictureStyleFields, kind);
  return field != nullptr ? Read(params, *field) : 0;
}

std::int32_t WhitebalanceShiftField(const RemoteParamsType& params, std::int32_t kind) {
  const ByteField* field = Entry(WhitebalanceShiftFields, kind);
  return field != nullptr ? Read(params, *field) : 0;
}

std::int32_t RAWParamField(const RAWDevelopParamsType& params, std::int32_t kind) {
  switch (kind) {
  case RAWParamWhiteBalanceSetting:
    return params.WhiteBalanceSetting;
  case RAWParamWhiteBalanceKelvin:
    return params.WhiteBalanceKelvin;
  default:
    return 0;
  }
}

// ---------------------------------------------------------------------------
// Building records

std::optional<RemoteParamsType> RecordSettingRemoteParam(std::int32_t kind, std::int32_t value,
                                                         const CurrentParamReader& current) {
  RemoteParamsType record{};
  switch (kind) {
  case RemoteParamCompQuality:
  case RemoteParamCompQualityPic2RAW:
  case RemoteParamImageSize:
  case RemoteParamImageSizePic2RAW:
    for (const std::int32_t imageKind : ImageQualityKinds) {
      Write(record, *PlainField(imageKind), imageKind == kind ? value : current(imageKind));
    }
    return record;
  case RemoteParamWhiteBalanceSetting:
    Write(record, *PlainField(kind), value);
    // The colour-temperature setting needs the temperature with it.
    if (record.WhiteBalanceSetting == WhiteBalanceColorTemperature) {
      record.WhiteBalanceKelvin = current(RemoteParamWhiteBalanceKelvin);
    }
    return record;
  case RemoteParamWhiteBalanceKelvin:
    Write(record, *PlainField(RemoteParamWhiteBalanceSetting),
          current(RemoteParamWhiteBalanceSetting));
    record.WhiteBalanceKelvin = value;
    return record;
  default:
    break;
  }
  if (const std::optional<ByteField> field = PlainField(kind)) {
    Write(record, *field, value);
    return record;
  }
  return std::nullopt;
}

RemoteParamsType RecordSettingImageQuality(std::int32_t imageSize, std::int32_t imageQuality,
                                           std::int32_t imageSizePic2RAW,
                                           std::int32_t imageQualityPic2RAW) {
  RemoteParamsType record{};
  Write(record, *PlainField(RemoteParamImageSize), imageSize);
  Write(record, *PlainField(RemoteParamCompQuality), imageQuality);
  Write(record, *PlainField(RemoteParamImageSizePic2RAW), imageSizePic2RAW);
  Write(record, *PlainField(RemoteParamCompQualityPic2RAW), imageQualityPic2RAW);
  return record;
}

RemoteParamsType RecordSettingPictureStyle(const PictureStyleSettings& style) {
  const std::array<std::int32_t, PictureStyleFields.size()> values{Flag(style.Enabled),
                                                                   style.Contrast,
                                                                   style.Sharpness,
                                                                   style.Saturation,
                                                                   Flag(style.SaturationUsed),
                                                                   style.ColorTone,
                                                                   Flag(style.ColorToneUsed),
                                                                   style.MonochromeFilter,
                                                                   Flag(style.MonochromeFilterUsed),
                                                                   style.MonochromeTone,
                                                                   Flag(style.MonochromeToneUsed)};
  RemoteParamsType record{};
  for (std::size_t i = 0; i < values.size(); ++i) {
    Write(record, PictureStyleFields[i], values[i]);
  }
  return record;
}

RemoteParamsType RecordSettingWhitebalanceShift(bool enabled, std::int16_t amberBlue,
                                                std::int16_t greenMagenta) {
  RemoteParamsType record{};
  Write(record, WhitebalanceShiftFields[RemoteParamWhitebalanceShiftWBShiftEnabled], Flag(enabled));
  Write(record, WhitebalanceShiftFields[RemoteParamWhitebalanceShiftAmberBlue], amberBlue);
  Write(record, WhitebalanceShiftFields[RemoteParamWhitebalanceShiftGreenMagenta], greenMagenta);
  return record;
}

std::optional<RAWDevelopParamsType> RecordSettingRAWParam(std::int32_t kind, std::int32_t value,
                                                          const CurrentParamReader& current) {
  RAWDevelopParamsType record{};
  switch (kind) {
  case RAWParamWhiteBalanceSetting:
    record.WhiteBalanceSetting = static_cast<std::uint8_t>(value);
    if (record.WhiteBalanceSetting == WhiteBalanceColorTemperature) {
      record.WhiteBalanceKelvin = current(RAWParamWhiteBalanceKelvin);
    }
    return record;
  case RAWParamWhiteBalanceKelvin:
    record.WhiteBalanceSetting = WhiteBalanceColorTemperature;
    record.WhiteBalanceKelvin = value;
    return record;
  default:
    return std::nullopt;
  }
}

} // namespace vostrel
