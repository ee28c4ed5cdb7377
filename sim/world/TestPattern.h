#pragma once
// The content of every picture the simulated cameras hold or take: a colour
// gradient (red grows to the right, green downwards, blue depends on the
// picture number) with the picture number written in large digits in the
// middle, so a picture can be recognised by eye and by a test.

#include "sim/world/RgbImage.h"

#include <cstdint>
#include <string>

namespace vostrel::sim {

Rgb8Image testPattern(int width, int height, std::uint32_t number);

// Which camera took a picture and its how-manieth release it was. Released
// pictures carry it so that a picture found anywhere traces back to its shot.
struct ShotMark {
  std::uint32_t bodyId = 0;
  std::uint32_t shot = 0;
  friend bool operator==(const ShotMark&, const ShotMark&) = default;
};

// Draws the mark as two rows of 32 black or white cells along the bottom
// edge (body ID above, shot below, most significant bit first).
void drawShotMark(Rgb8Image& image, const ShotMark& mark);
// Reads the mark back from a picture that may have passed through JPEG.
ShotMark readShotMark(const Rgb8Image& image);
// The text of the JPEG comment of a marked picture: "camera 1000 shot 7".
std::string shotMarkComment(const ShotMark& mark);

// The blue level of the gradient of a picture number.
std::uint8_t patternBlue(std::uint32_t number);

} // namespace vostrel::sim
