#pragma once
// Development of the simulated RAW pictures. The white-balance model is a
// pair of gains: developing for a colour temperature T multiplies red by
// T / 5200 and blue by 5200 / T, so a higher temperature renders warmer.
// The stored samples are the picture divided by the gains of the shot's own
// temperature: developing at that temperature gives the picture back.

#include "sim/world/RawFormat.h"
#include "sim/world/RgbImage.h"

#include <cstdint>

namespace vostrel::sim {

inline constexpr std::uint32_t NeutralKelvin = 5200;

struct WhiteBalanceGains {
  double red = 1.0;
  double green = 1.0;
  double blue = 1.0;
};

WhiteBalanceGains gainsForKelvin(std::uint32_t kelvin);

// The linear samples a sensor records of an 8-bit picture shot at a colour
// temperature.
Rgb16Image exposeForKelvin(const Rgb8Image& scene, std::uint32_t kelvin);

// Develops at a colour temperature into 16 bits per sample.
Rgb16Image developRaw(const RawPicture& picture, std::uint32_t kelvin);

// 16 bits per sample to 8 (rounded).
Rgb8Image to8Bits(const Rgb16Image& image);

} // namespace vostrel::sim
