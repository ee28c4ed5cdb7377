#include "sim/edsdk/EdsFamily.h"

#include "sim/world/FamilyParts.h"

#include <array>
#include <initializer_list>

namespace vostrel::sim::eds {

namespace {

struct NamedProperty {
  std::uint32_t id;
  const char* name;
};

// Properties of the settings map. Identity, battery, clock and shots are
// camera attributes of the world and are read and written through those.
constexpr std::array<NamedProperty, 16> Names = {{
    {EdsPropSaveTo, "SaveTo"},
    {EdsPropImageQuality, "ImageQuality"},
    {EdsPropWhiteBalance, "WhiteBalance"},
    {EdsPropColorTemperature, "ColorTemperature"},
    {EdsPropWhiteBalanceShift, "WhiteBalanceShift"},
    {EdsPropColorSpace, "ColorSpace"},
    {EdsPropPhotoEffect, "PhotoEffect"},
    {EdsPropPictureStyle, "PictureStyle"},
    {EdsPropShootingMode, "ShootingMode"},
    {EdsPropDriveMode, "DriveMode"},
    {EdsPropIsoSpeed, "ISOSpeed"},
    {EdsPropMeteringMode, "MeteringMode"},
    {EdsPropAFMode, "AFMode"},
    {EdsPropAv, "Av"},
    {EdsPropTv, "Tv"},
    {EdsPropExposureCompensation, "ExposureCompensation"},
}};

constexpr std::uint32_t RawSize = 0;
constexpr std::uint32_t RawQuality = 4;

std::vector<Bytes> wordList(std::initializer_list<std::int64_t> values) {
  std::vector<Bytes> list;
  for (std::int64_t value : values) {
    list.push_back(u32Bytes(static_cast<std::uint32_t>(value)));
  }
  return list;
}

Bytes arrayBytes(std::initializer_list<std::int32_t> values) {
  Bytes bytes;
  for (std::int32_t value : values) {
    appendU32(bytes, static_cast<std::uint32_t>(value));
  }
  return bytes;
}

Property word(ValueKind kind, std::uint32_t value, std::optional<std::vector<Bytes>> accepted) {
  Property property;
  property.kind = kind;
  property.dataType = kind == ValueKind::Signed ? EdsDataTypeInt32 : EdsDataTypeUInt32;
  property.value = u32Bytes(value);
  property.accepted = std::move(accepted);
  return property;
}

Property array(Bytes value, std::optional<std::vector<Bytes>> accepted) {
  Property property;
  property.kind = ValueKind::SignedArray;
  property.dataType = EdsDataTypeInt32Array;
  property.value = std::move(value);
  property.accepted = std::move(accepted);
  return property;
}

// Codes that advance in thirds of a stop: +3, +2, +3 within a group of three.
std::vector<Bytes> thirdStops(std::uint32_t first, std::uint32_t last) {
  std::vector<Bytes> codes;
  static constexpr std::uint32_t Steps[] = {0, 3, 5};
  for (std::uint32_t group = first; group <= last; group += 8) {
    for (std::uint32_t step : Steps) {
      if (group + step <= last) {
        codes.push_back(u32Bytes(group + step));
      }
    }
  }
  return codes;
}

// JPEG in sizes 0 to 2 and qualities 3 and 5, RAW alone, and RAW with each
// of those JPEGs beside it.
std::vector<Bytes> imageQualities() {
  std::vector<Bytes> values;
  for (std::int32_t size : {0, 1, 2}) {
    for (std::int32_t quality : {3, 5}) {
      values.push_back(arrayBytes({size, 1, quality, 0, 0, 0}));
    }
  }
  values.push_back(arrayBytes({RawSize, 2, RawQuality, 0, 0, 0}));
  for (std::int32_t size : {0, 1, 2}) {
    for (std::int32_t quality : {3, 5}) {
      values.push_back(arrayBytes({RawSize, 2, RawQuality, size, 1, quality}));
    }
  }
  return values;
}

std::vector<Bytes> kelvinRange() {
  std::vector<Bytes> values;
  for (std::uint32_t kelvin = MinimumKelvin; kelvin <= MaximumKelvin; kelvin += 100) {
    values.push_back(u32Bytes(kelvin));
  }
  return values;
}

std::map<std::uint32_t, Property> defaultProperties() {
  using enum ValueKind;
  std::map<std::uint32_t, Property> properties;
  properties[EdsPropSaveTo] = word(Unsigned, EdsSaveToCamera, wordList({1, 2, 3}));
  properties[EdsPropImageQuality] = array(arrayBytes({0, 1, 5, 0, 0, 0}), imageQualities());
  properties[EdsPropWhiteBalance] = word(Signed, 0, wordList({0, 1, 2, 3, 4, 5, 6, 8, 9}));
  properties[EdsPropColorTemperature] = word(Unsigned, 5200, kelvinRange());
  properties[EdsPropWhiteBalanceShift] = array(arrayBytes({0, 0}), std::nullopt);
  properties[EdsPropColorSpace] = word(Unsigned, 1, wordList({1, 2}));
  properties[EdsPropPhotoEffect] = word(Unsigned, 0, wordList({0, 5}));
  properties[EdsPropPictureStyle] = array(arrayBytes({0, 3, 0, 0, -1, -1}), std::nullopt);
  properties[EdsPropShootingMode] = word(Unsigned, 2, wordList({0, 1, 2, 3, 4, 5}));
  properties[EdsPropDriveMode] = word(Unsigned, 0, wordList({0, 1, 4, 16}));
  properties[EdsPropIsoSpeed] =
      word(Unsigned, 72, wordList({0, 72, 75, 77, 80, 83, 85, 88, 91, 93, 96, 99, 101, 104}));
  properties[EdsPropMeteringMode] = word(Unsigned, 3, wordList({1, 3, 4, 5}));
  properties[EdsPropAFMode] = word(Unsigned, 0, wordList({0, 1, 2}));
  properties[EdsPropAv] = word(Unsigned, 40, thirdStops(24, 88));
  properties[EdsPropTv] = word(Unsigned, 96, thirdStops(16, 160));
  properties[EdsPropExposureCompensation] =
      word(Unsigned, 0, wordList({240, 243, 245, 248, 251, 253, 0, 3, 5, 8, 11, 13, 16}));
  return properties;
}

} // namespace

Camera EdsFamily::defaultCamera(std::size_t index) const {
  Camera camera = cameraOnPort(index, "DCIM/100EOS");
  camera.bodyId = 1000 + static_cast<std::uint32_t>(index);
  camera.battery = 80;
  camera.availableShots = 250;
  camera.properties = defaultProperties();
  return camera;
}

std::optional<std::uint32_t> EdsFamily::propertyId(const std::string& name) const {
  return idOfName(Names, name);
}

std::string EdsFamily::propertyName(std::uint32_t id) const {
  return nameOfId(Names, id, 8);
}

std::uint32_t EdsFamily::dataTypeFor(ValueKind kind) const {
  return DataTypeCodes{EdsDataTypeInt32, EdsDataTypeUInt32, EdsDataTypeString,
                       EdsDataTypeInt32Array, EdsDataTypeUnknown}
      .of(kind);
}

RawShot EdsFamily::defaultRawShot() const {
  return {0, 5200, allRawWhiteBalances()};
}

void normaliseWrite(std::uint32_t id, Bytes& value) {
  if (id == EdsPropImageQuality && value.size() == sizeof(ImageQualityValueType) &&
      readU32(value, 4) == EdsImageFormatRAW) {
    writeU32(value, 0, RawSize);
    writeU32(value, 8, RawQuality);
  }
}

std::uint32_t allRawWhiteBalances() {
  std::uint32_t mask = 0;
  for (std::uint32_t code : {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12}) {
    mask |= 1u << code;
  }
  return mask;
}

std::uint32_t kelvinForWhiteBalance(std::uint32_t code, std::uint32_t asShot,
                                    std::uint32_t chosen) {
  switch (code) {
  case 1: // daylight
    return 5200;
  case 2: // cloudy
  case 5: // flash
    return 6000;
  case 3: // tungsten
    return 3200;
  case 4: // white fluorescent
    return 4000;
  case 8: // shade
    return 7000;
  case WhiteBalanceColorTemperature:
    return chosen;
  case 10: // personal settings 1 to 3: the daylight balance
  case 11:
  case 12:
    return 5200;
  default: // auto (0) and custom (6) keep the shot's own balance
    return asShot;
  }
}

} // namespace vostrel::sim::eds
