#include "sim/cdsdk/CdFamily.h"

#include "sim/world/FamilyParts.h"

#include <vector>

namespace vostrel::sim::cd {

namespace {

// Data-type codes of the CD device properties.
constexpr DataTypeCodes DataTypes{0x0004, 0x0005, 0x0010, 0x0104};

constexpr std::uint32_t pair(std::uint32_t quality, std::uint32_t size) {
  return quality | size << 16;
}

// A named entry of the settings map: its scenario name, its width on the
// wire (camera settings only), the value of the default camera and the
// values it accepts.
struct NamedSetting {
  std::uint32_t id;
  const char* name;
  std::size_t width;
  std::int32_t value;
  std::vector<std::int32_t> accepted;
};

const std::vector<NamedSetting>& namedSettings() {
  static const std::vector<NamedSetting> settings = {
      {ReleaseControlFacultyId,
       "ReleaseControlFaculty",
       4,
       static_cast<std::int32_t>(DefaultReleaseControlFaculty),
       {}},
      {ImageFormatId,
       "ImageFormat",
       4,
       static_cast<std::int32_t>(pair(3, 0)),
       {static_cast<std::int32_t>(pair(1, 0)), static_cast<std::int32_t>(pair(1, 1)),
        static_cast<std::int32_t>(pair(1, 2)), static_cast<std::int32_t>(pair(2, 0)),
        static_cast<std::int32_t>(pair(2, 1)), static_cast<std::int32_t>(pair(2, 2)),
        static_cast<std::int32_t>(pair(3, 0)), static_cast<std::int32_t>(pair(3, 1)),
        static_cast<std::int32_t>(pair(3, 2))}},
      {ShootingModeId, "ShootingMode", 2, 1, {0, 1, 2, 3, 4, 5, 6, 101, 102, 103}},
      {AvId, "Av", 2, 0x28, {0x20, 0x23, 0x25, 0x28, 0x2B, 0x2D, 0x30}},
      {TvId, "Tv", 2, 0x60, {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x80}},
      {ExposureCompId, "ExposureComp", 2, 24, {8, 11, 13, 16, 19, 21, 24, 27, 29, 32, 35, 37, 40}},
      {WhiteBalanceId, "WhiteBalance", 2, 0, {0, 1, 2, 3, 4, 5, 9}},
      {AFDistanceId, "AFDistance", 2, 0, {0, 1, 2}},
      {FlashModeId, "FlashMode", 2, 0, {0, 1, 2, 3}},
      {FlashCompensationId, "FlashCompensation", 2, 24, {16, 19, 21, 24, 27, 29, 32}},
      {ZoomId, "Zoom", 4, 0, {}},
      {MaximumZoomId, "MaximumZoom", 4, 16, {}},
      {MaximumOpticalZoomId, "MaximumOpticalZoom", 4, 8, {}},
      {ViewfinderOutputId, "ViewfinderOutput", 4, 1, {1, 2, 3}},
      {settingId(0x08000004), "Metering", 1, 0, {0, 1, 2}},
      {settingId(0x0800000C), "ISO", 2, 0, {0, 0x40, 0x43, 0x45, 0x48}},
      {settingId(0x08000008), "Contrast", 1, 0, {-1, 0, 1}},
      {settingId(0x08000009), "ColorGain", 1, 0, {-1, 0, 1}},
      {settingId(0x0800000A), "Sharpness", 1, 0, {-1, 0, 1}},
      {settingId(0x08000B00), "PhotoEffect", 2, 0, {0, 1, 2, 3, 4}},
      {settingId(0x08000002), "Beep", 1, 1, {0, 1}},
      {settingId(0x1100), "Kelvin", 2, 5200, {}},
  };
  return settings;
}

Property settingProperty(const NamedSetting& setting) {
  Property property = listedSetting(setting.value, setting.accepted, DataTypes);
  property.writable = setting.id != ReleaseControlFacultyId;
  return property;
}

} // namespace

std::size_t settingWidth(cdUInt32 settingCode) {
  const NamedSetting* setting = entryWithId(namedSettings(), settingId(settingCode));
  return setting != nullptr && settingCode <= 0x0FFFFFFF ? setting->width : 0;
}

Camera CdFamily::defaultCamera(std::size_t index) const {
  Camera camera = cameraOnPort(index, "DCIM/100_PSHT");
  camera.bodyId = 0; // the CD cameras have none
  camera.battery = DefaultBatteryWord;
  camera.availableShots = 120;
  for (const NamedSetting& setting : namedSettings()) {
    camera.properties[setting.id] = settingProperty(setting);
  }
  return camera;
}

std::optional<std::uint32_t> CdFamily::propertyId(const std::string& name) const {
  return idOfName(namedSettings(), name);
}

std::string CdFamily::propertyName(std::uint32_t id) const {
  return nameOfId(namedSettings(), id, 8);
}

std::uint32_t CdFamily::dataTypeFor(ValueKind kind) const {
  return DataTypes.of(kind);
}

} // namespace vostrel::sim::cd
