// The device information that PR_GetDeviceInfo delivers from the camera. The
// first byte chooses whether the property list is read as well.

#include "core/ECamException.h"
#include "powershot_pr/PRDeviceInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  const bool withProperties = (data[0] & 1) != 0;
  try {
    const vostrel::PRDeviceInfoLists lists =
        vostrel::ReadPRDeviceInfo(data + 1, size - 1, withProperties);
    // Every code read takes two of the delivered bytes.
    if (2 * (lists.Operations.size() + lists.Properties.size()) > size) {
      __builtin_trap();
    }
  } catch (const vostrel::ECamException&) {
  }
  return 0;
}
