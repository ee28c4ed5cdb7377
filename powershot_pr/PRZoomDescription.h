#pragma once
// The description of a PR camera's zoom property: the DevicePropDesc dataset
// of the picture transfer protocol with 16-bit values in the range form.

#include <cstddef>
#include <cstdint>

namespace vostrel::pr {

struct PRZoomDescription {
  std::uint16_t Current;
  std::uint16_t Minimum;
  std::uint16_t Maximum;
  std::uint16_t Step;
};

// Bytes of the dataset: code, data type, get/set, factory default, current
// value, form flag, minimum, maximum, step.
inline constexpr std::size_t PRZoomDescriptionSize = 2 + 2 + 1 + 2 + 2 + 1 + 2 + 2 + 2;

// Reads the dataset from the size bytes the camera delivered. Raises
// ECamException when they are fewer than the dataset needs or when the
// description is not in the range form.
PRZoomDescription ReadZoomDescription(const std::uint8_t* data, std::size_t size);

} // namespace vostrel::pr
