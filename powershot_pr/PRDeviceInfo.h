#pragma once
// The device information of a PR camera: the DeviceInfo dataset of the
// picture transfer protocol, little-endian, as PR_GetDeviceInfo delivers it.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vostrel {

struct PRDeviceInfoLists {
  std::vector<std::uint16_t> Operations;
  // Read only when asked for.
  std::vector<std::uint16_t> Properties;
};

// Reads the dataset in order: standard version, vendor extension ID and
// version, vendor extension description, functional mode and the supported
// operations; with withProperties also the supported events (skipped) and
// the supported device properties. A dataset that ends before what is to be
// read raises ECamException "PR_GetDeviceInfo delivered incomplete device
// information".
PRDeviceInfoLists ReadPRDeviceInfo(const std::uint8_t* data, std::size_t size, bool withProperties);

} // namespace vostrel
