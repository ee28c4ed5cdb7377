#include "sim/world/Development.h"

#include <algorithm>
#include <cmath>

namespace vostrel::sim {

namespace {

constexpr std::uint32_t MinimumKelvin = 2000;
constexpr std::uint32_t MaximumKelvin = 12000;
// The sensor records two stops below full scale, so that no white balance
// between 2000 K and 12000 K (the range of the model) clips a sample of an 8-bit scene.
constexpr double Headroom = 4.0;

std::uint16_t clampSample(double value) {
  return static_cast<std::uint16_t>(std::clamp(std::lround(value), 0L, 65535L));
}

template <typename Sample>
Rgb16Image applyGains(const RgbImage<Sample>& image, const WhiteBalanceGains& gains, double scale) {
  const double channelGain[3] = {gains.red * scale, gains.green * scale, gains.blue * scale};
  Rgb16Image result(image.width, image.height);
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    result.samples[i] = clampSample(image.samples[i] * channelGain[i % 3]);
  }
  return result;
}

} // namespace

WhiteBalanceGains gainsForKelvin(std::uint32_t kelvin) {
  const double t = std::clamp(kelvin, MinimumKelvin, MaximumKelvin);
  return {t / NeutralKelvin, 1.0, NeutralKelvin / t};
}

Rgb16Image exposeForKelvin(const Rgb8Image& scene, std::uint32_t kelvin) {
  const WhiteBalanceGains gains = gainsForKelvin(kelvin);
  return applyGains(scene, {1.0 / gains.red, 1.0, 1.0 / gains.blue}, 257.0 / Headroom);
}

Rgb16Image developRaw(const RawPicture& picture, std::uint32_t kelvin) {
  return applyGains(picture.pixels, gainsForKelvin(kelvin), Headroom);
}

Rgb8Image to8Bits(const Rgb16Image& image) {
  Rgb8Image result(image.width, image.height);
  for (std::size_t i = 0; i < image.samples.size(); ++i) {
    result.samples[i] = static_cast<std::uint8_t>((image.samples[i] * 255u + 32767u) / 65535u);
  }
  return result;
}

} // namespace vostrel::sim
