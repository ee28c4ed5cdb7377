#pragma once
// The process-wide camera lists that the backends refill at every enumeration
// and that the controller reads to number the cameras:
//
//   CDDeviceList   400-byte CD device records, in CD enumeration order
//   PRDeviceList   1108-byte PR device records, in PR enumeration order
//   EOSDeviceList  EOS camera references
//
// The first controller of the process creates them and they are freed with
// the instance registry when the last controller goes. A backend used on its
// own (without a controller) gets them created on first use.
//
// Creating and freeing the lists is serialised; their contents are used from
// the host's thread without a lock.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vostrel {

inline constexpr std::size_t CDDeviceRecordSize = 400;
inline constexpr std::size_t PRDeviceRecordSize = 1108;

using CDDeviceRecord = std::array<std::uint8_t, CDDeviceRecordSize>;
using PRDeviceRecord = std::array<std::uint8_t, PRDeviceRecordSize>;
using EOSCameraRef = void*;

std::vector<CDDeviceRecord>& CDDeviceList();
std::vector<PRDeviceRecord>& PRDeviceList();
std::vector<EOSCameraRef>& EOSDeviceList();

// Creates each list that does not exist yet.
void CreateDeviceLists();
// Frees the three lists and their records; references taken before are void.
void FreeDeviceLists();
// True while the lists exist.
bool DeviceListsExist();

} // namespace vostrel
