// A property description that PR_GetDevicePropDesc delivers from the camera:
// the enumerated values of a shooting parameter and the range of the zoom.
// The first byte chooses the width of the parameter's values (1, 2 or 4).

#include "core/ECamException.h"
#include "powershot_pr/PRParameterProbe.h"
#include "powershot_pr/PRZoomDescription.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return 0;
  }
  constexpr std::uint32_t Widths[] = {1, 2, 4};
  const std::uint32_t width = Widths[data[0] % 3];
  const auto values = vostrel::pr::DescribedValues(data + 1, size - 1, width);
  if (values.size() * width > size) {
    __builtin_trap();
  }
  try {
    static_cast<void>(vostrel::pr::ReadZoomDescription(data + 1, size - 1));
    // A description is read only when the camera delivered all of it.
    if (size - 1 < vostrel::pr::PRZoomDescriptionSize) {
      __builtin_trap();
    }
  } catch (const vostrel::ECamException&) {
  }
  return 0;
}
