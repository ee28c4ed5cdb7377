// A property description that PR_GetDevicePropDesc delivers from the camera.
// The first byte chooses the width of the property's values (1, 2 or 4).

#include "powershot_pr/PRParameterProbe.h"

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
  return 0;
}
