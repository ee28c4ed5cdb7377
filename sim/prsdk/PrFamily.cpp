#include "sim/prsdk/PrFamily.h"

#include "sim/world/FamilyParts.h"

#include <array>

namespace vostrel::sim::pr {

namespace {

struct NamedProperty {
  std::uint32_t id;
  const char* name;
  // Bytes on the wire; 0 for the size the world keeps.
  std::size_t wireSize;
};

// Properties of the settings map. Owner, body ID, battery status and clock
// are camera attributes of the world and are read and written through those.
constexpr std::array<NamedProperty, 27> Names = {{
    {prPropBatteryKind, "BatteryKind", 2},
    {0xD006, "Quality", 1},
    {0xD007, "ImageFormat", 1},
    {0xD008, "ImageSize", 1},
    {0xD009, "DriveModeSetting", 2},
    {0xD00A, "Strobe", 1},
    {0xD00B, "Beep", 1},
    {0xD00C, "ShootingMode", 1},
    {0xD00E, "DriveMode", 1},
    {0xD010, "Metering", 1},
    {0xD011, "AFDistance", 1},
    {0xD012, "AFPoint", 2},
    {0xD013, "WhiteBalance", 1},
    {0xD017, "Contrast", 1},
    {0xD018, "ColorGain", 1},
    {0xD019, "Sharpness", 1},
    {0xD01C, "ISO", 2},
    {0xD01D, "Av", 2},
    {0xD01E, "Tv", 2},
    {0xD01F, "ExposureCompensation", 1},
    {0xD020, "StrobeCompensation", 1},
    {prPropReleaseDestination, "ReleaseDestination", 2},
    {0xD040, "PhotoEffect", 2},
    {0xD041, "AFAssistLight", 2},
    {prPropZoomPosition, "Zoom", 2},
    {prPropDigitalZoomStart, "DigitalZoomStart", 2},
    {prPropViewfinderOutput, "ViewfinderOutput", 1},
}};

// Data-type codes of the picture transfer protocol.
constexpr DataTypeCodes DataTypes{0x0005, 0x0006, 0xFFFF, 0x4005};

// The standard operations every camera lists, then remote release control,
// the viewfinder and focus lock.
const std::vector<std::uint16_t> DefaultOperations = {0x1001,
                                                      0x1002,
                                                      0x1003,
                                                      0x1004,
                                                      0x1005,
                                                      0x1007,
                                                      0x1008,
                                                      0x1009,
                                                      0x100A,
                                                      0x1014,
                                                      0x1015,
                                                      0x1016,
                                                      prOpInitiateReleaseControl,
                                                      prOpInitiateViewfinder,
                                                      prOpFocusLock};

// A shooting setting of the default camera: its PR value and the values it
// accepts.
struct Setting {
  std::uint32_t id;
  std::int32_t value;
  std::vector<std::int32_t> accepted;
};

const std::vector<Setting>& defaultSettings() {
  static const std::vector<Setting> settings = {
      {0xD006, 3, {1, 2, 3}},
      {0xD007, 1, {1, 2}},
      {0xD008, 0, {0, 1, 2, 3}},
      {0xD009, 100, {100, 20}},
      {0xD00A, 0, {0, 1, 2, 3}},
      {0xD00B, 1, {0, 1}},
      {0xD00C, 1, {0, 1, 2, 3, 4}},
      {0xD00E, 0, {0, 1, 2}},
      {0xD010, 0, {0, 1, 2}},
      {0xD011, 0, {0, 1, 2}},
      {0xD012, 0x1000, {0x1000, 0x1001, 0x3000, 0x3001, 0x3002}},
      {0xD013, 0, {0, 1, 2, 3, 4, 7}},
      {0xD017, 0, {-1, 0, 1}},
      {0xD018, 0, {-1, 0, 1}},
      {0xD019, 0, {-1, 0, 1}},
      {0xD01C, 0, {0, 0x40, 0x43, 0x45, 0x48}},
      {0xD01D, 0x28, {0x20, 0x23, 0x25, 0x28, 0x2B, 0x2D, 0x30}},
      {0xD01E, 0x60, {0x40, 0x48, 0x50, 0x58, 0x60, 0x68, 0x70, 0x80}},
      {0xD01F, 24, {8, 11, 13, 16, 19, 21, 24, 27, 29, 32, 35, 37, 40}},
      {0xD020, 24, {16, 19, 21, 24, 27, 29, 32}},
      {prPropReleaseDestination, 8, {1, 2, 3, 4, 8, 12}},
      {0xD040, 0, {0, 1, 2, 3, 4, 5}},
      {0xD041, 1, {0, 1}},
      {prPropViewfinderOutput, 1, {1, 2, 3}},
  };
  return settings;
}

} // namespace

Camera PrFamily::defaultCamera(std::size_t index) const {
  Camera camera = cameraOnPort(index, "DCIM/100_PSHT");
  camera.bodyId = 2000 + static_cast<std::uint32_t>(index);
  camera.battery = BatteryStatusNormal;
  camera.availableShots = 250;
  Property kind = listedSetting(BatteryKindLithium, {}, DataTypes);
  kind.writable = false;
  camera.properties[prPropBatteryKind] = kind;
  for (const Setting& setting : defaultSettings()) {
    camera.properties[setting.id] = listedSetting(setting.value, setting.accepted, DataTypes);
  }
  // Optical zoom from 0 to 7, digital zoom on to 20.
  std::vector<std::int32_t> positions;
  for (std::int32_t position = 0; position <= 20; ++position) {
    positions.push_back(position);
  }
  camera.properties[prPropZoomPosition] = listedSetting(0, positions, DataTypes);
  Property digitalZoomStart = kind;
  digitalZoomStart.value = u32Bytes(8);
  camera.properties[prPropDigitalZoomStart] = digitalZoomStart;
  camera.operations = DefaultOperations;
  return camera;
}

std::optional<std::uint32_t> PrFamily::propertyId(const std::string& name) const {
  return idOfName(Names, name);
}

std::string PrFamily::propertyName(std::uint32_t id) const {
  return nameOfId(Names, id, 4);
}

std::uint32_t PrFamily::dataTypeFor(ValueKind kind) const {
  return DataTypes.of(kind);
}

bool rangeForm(std::uint32_t id) {
  return id == prPropZoomPosition;
}

std::size_t wireSize(std::uint32_t id, std::size_t storedSize) {
  const NamedProperty* entry = entryWithId(Names, id);
  return entry != nullptr && entry->wireSize != 0 ? entry->wireSize : storedSize;
}

const std::vector<prUInt16>& supportedEvents() {
  static const std::vector<prUInt16> events = {0x4006, 0xC001, 0xC005, 0xC006, 0xC007, 0xC008,
                                               0xC009, 0xC00A, 0xC00B, 0xC00C, 0xC00E, 0xD001};
  return events;
}

} // namespace vostrel::sim::pr
