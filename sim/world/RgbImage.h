#pragma once
// An RGB picture in memory: three samples per pixel, rows from top to
// bottom, 8 or 16 bits per sample.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vostrel::sim {

template <typename Sample>
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<Sample> samples;

  RgbImage() = default;
  RgbImage(int w, int h)
      : width(w), height(h),
        samples(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) {}

  std::size_t index(int x, int y, int channel) const {
    return (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
            static_cast<std::size_t>(x)) *
               3 +
           static_cast<std::size_t>(channel);
  }
  Sample& at(int x, int y, int channel) { return samples[index(x, y, channel)]; }
  Sample at(int x, int y, int channel) const { return samples[index(x, y, channel)]; }
};

using Rgb8Image = RgbImage<std::uint8_t>;
using Rgb16Image = RgbImage<std::uint16_t>;

} // namespace vostrel::sim
