#pragma once
// The content of every picture the simulated cameras hold or take: a colour
// gradient (red grows to the right, green downwards, blue depends on the
// picture number) with the picture number written in large digits in the
// middle, so a picture can be recognised by eye and by a test.

#include "sim/world/RgbImage.h"

#include <cstdint>

namespace vostrel::sim {

Rgb8Image testPattern(int width, int height, std::uint32_t number);

// The blue level of the gradient of a picture number.
std::uint8_t patternBlue(std::uint32_t number);

} // namespace vostrel::sim
