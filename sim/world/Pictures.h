#pragma once
// The files the simulated cameras hold and take: JPEG pictures with a JPEG
// thumbnail, and RAW files of the simulators' own format (RawFormat.h).
// Content is deterministic: the test pattern of the picture number.

#include "sim/world/Bytes.h"
#include "sim/world/TestPattern.h"

#include <cstdint>

namespace vostrel::sim {

inline constexpr int PictureWidth = 320;
inline constexpr int PictureHeight = 240;
inline constexpr int ThumbnailWidth = 160;
inline constexpr int ThumbnailHeight = 120;
inline constexpr int RawWidth = 160;
inline constexpr int RawHeight = 120;
inline constexpr int PictureQuality = 85;

struct PictureFile {
  Bytes content;
  Bytes thumbnail; // JPEG
};

// How a RAW picture was shot.
struct RawShot {
  std::uint32_t whiteBalance = 0; // the SDK's code
  std::uint32_t kelvin = 5200;
  std::uint32_t supportedWhiteBalances = 0; // bit n: SDK code n can be applied
};

// Pictures of a card as the scenario describes them.
PictureFile makeJpegPicture(std::uint32_t number);
PictureFile makeRawPicture(std::uint32_t number, const RawShot& shot);

// Pictures taken by a release: the test pattern with the shot's mark drawn
// in, and for JPEG its comment (thumbnails stay unmarked, they are too
// small to carry it).
PictureFile makeReleasedJpegPicture(std::uint32_t number, const ShotMark& mark);
PictureFile makeReleasedRawPicture(std::uint32_t number, const RawShot& shot, const ShotMark& mark);

} // namespace vostrel::sim
