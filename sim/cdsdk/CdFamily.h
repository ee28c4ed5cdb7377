#pragma once
// What the simulated CDSDK.DLL knows about the older PowerShot cameras: the
// property names in scenarios, the camera a scenario starts from, and the
// battery word and release-control capability the cameras report.

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

// The capability word of the release control (CDGetReleaseControlFaculty),
// kept in the settings map under this identifier; it is not a device
// property of the camera.
inline constexpr std::uint32_t ReleaseControlFacultyId = 0xF0000001;
// Remote release, viewfinder and zoom.
inline constexpr cdUInt32 DefaultReleaseControlFaculty = 0x40000000 | 0x00000002 | 0x00000004;

// The battery word of the "battery" camera key: source in bits 28 to 31,
// level in bits 0 to 3. Default: a lithium battery at the normal level.
inline constexpr std::uint32_t DefaultBatteryWord = 0x20000006;

} // namespace vostrel::sim::cd
