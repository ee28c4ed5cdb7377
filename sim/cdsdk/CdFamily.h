#pragma once
// What the simulated CDSDK.DLL knows about the older PowerShot cameras: the
// property names in scenarios, the camera a scenario starts from, the battery
// word and release-control capability the cameras report, and the shooting
// settings of the release control with their widths.

#include "powershot_cd/CDTYPE.h"
#include "sim/world/Scenario.h"

namespace vostrel::sim::cd {

class CdFamily final : public CameraFamily {
public:
  std::string section() const override { return "cd"; }
  Camera defaultCamera(std::size_t index) const override;
  std::optional<std::uint32_t> propertyId(const std::string& name) const override;
  std::string propertyName(std::uint32_t id) const override;
  std::uint32_t dataTypeFor(ValueKind kind) const override;
  RawShot defaultRawShot() const override { return {}; }
  std::string rawExtension() const override { return ".CRW"; }
};

// The settings map keeps, besides the device properties, entries that are
// not device properties: their identifiers lie from this one up.
inline constexpr std::uint32_t FirstSettingId = 0xE0000000;
constexpr bool isDeviceProperty(std::uint32_t id) {
  return id < FirstSettingId;
}

// The capability word of the release control (CDGetReleaseControlFaculty).
inline constexpr std::uint32_t ReleaseControlFacultyId = 0xF0000001;
// Remote release, shooting parameters and viewfinder.
inline constexpr cdUInt32 DefaultReleaseControlFaculty = 0x40000000 | 0x00000002 | 0x00000004;

// The value families of the release control, each with its get, set and
// enumeration calls. The image format keeps its quality code in the low and
// its size code in the high 16 bits.
inline constexpr std::uint32_t ImageFormatId = 0xF0000010;
inline constexpr std::uint32_t ShootingModeId = 0xF0000011;
inline constexpr std::uint32_t AvId = 0xF0000012;
inline constexpr std::uint32_t TvId = 0xF0000013;
inline constexpr std::uint32_t ExposureCompId = 0xF0000014;
inline constexpr std::uint32_t WhiteBalanceId = 0xF0000015;
inline constexpr std::uint32_t AFDistanceId = 0xF0000016;
inline constexpr std::uint32_t FlashModeId = 0xF0000017;
inline constexpr std::uint32_t FlashCompensationId = 0xF0000018;
// The live functions: the zoom position with its maximum and the end of the
// optical zoom, and the viewfinder's output (1 LCD, 2 video, 3 off).
inline constexpr std::uint32_t ZoomId = 0xF0000019;
inline constexpr std::uint32_t MaximumZoomId = 0xF000001A;
inline constexpr std::uint32_t MaximumOpticalZoomId = 0xF000001B;
inline constexpr std::uint32_t ViewfinderOutputId = 0xF000001C;

// The camera settings of CDGetRelCamSettingData live under their setting
// code above FirstSettingId: their codes are a code space of their own.
constexpr std::uint32_t settingId(cdUInt32 settingCode) {
  return FirstSettingId | (settingCode & 0x0FFFFFFF);
}
// Bytes of a camera setting's value; 0 for a code that is no setting.
std::size_t settingWidth(cdUInt32 settingCode);

// The battery word of the "battery" camera key: source in bits 28 to 31,
// level in bits 0 to 3. Default: a lithium battery at the normal level.
inline constexpr std::uint32_t DefaultBatteryWord = 0x20000006;

} // namespace vostrel::sim::cd
