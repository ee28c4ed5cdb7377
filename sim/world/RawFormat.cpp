#include "sim/world/RawFormat.h"

#include <cstring>

namespace vostrel::sim {

namespace {

constexpr char Signature[8] = {'V', 'S', 'R', 'A', 'W', '0', '1', '\0'};
constexpr std::uint32_t MaximumSide = 8192;

} // namespace

Bytes encodeRaw(const RawPicture& picture) {
  Bytes bytes(Signature, Signature + sizeof(Signature));
  appendU32(bytes, static_cast<std::uint32_t>(picture.pixels.width));
  appendU32(bytes, static_cast<std::uint32_t>(picture.pixels.height));
  appendU32(bytes, picture.whiteBalance);
  appendU32(bytes, picture.kelvin);
  appendU32(bytes, picture.supportedWhiteBalances);
  appendU32(bytes, picture.number);
  appendU32(bytes, static_cast<std::uint32_t>(picture.thumbnail.size()));
  appendU32(bytes, 0);
  bytes.reserve(bytes.size() + picture.pixels.samples.size() * 2 + picture.thumbnail.size());
  for (std::uint16_t sample : picture.pixels.samples) {
    appendU16(bytes, sample);
  }
  bytes.insert(bytes.end(), picture.thumbnail.begin(), picture.thumbnail.end());
  return bytes;
}

RawPicture decodeRaw(const Bytes& bytes) {
  if (bytes.size() < RawHeaderSize ||
      std::memcmp(bytes.data(), Signature, sizeof(Signature)) != 0) {
    throw RawFormatError("not a RAW file of the simulated cameras");
  }
  const std::uint32_t width = readU32(bytes, 8);
  const std::uint32_t height = readU32(bytes, 12);
  const std::uint32_t thumbnailLength = readU32(bytes, 32);
  if (width == 0 || height == 0 || width > MaximumSide || height > MaximumSide) {
    throw RawFormatError("RAW file with an impossible picture size");
  }
  const std::size_t pixelBytes = static_cast<std::size_t>(width) * height * 6;
  if (!rawLengthMatches(bytes.size(), pixelBytes, thumbnailLength)) {
    throw RawFormatError("RAW file of the wrong length");
  }
  RawPicture picture;
  picture.whiteBalance = readU32(bytes, 16);
  picture.kelvin = readU32(bytes, 20);
  picture.supportedWhiteBalances = readU32(bytes, 24);
  picture.number = readU32(bytes, 28);
  picture.pixels = Rgb16Image(static_cast<int>(width), static_cast<int>(height));
  for (std::size_t i = 0; i < picture.pixels.samples.size(); ++i) {
    picture.pixels.samples[i] = readU16(bytes, RawHeaderSize + 2 * i);
  }
  const auto thumbnail = bytes.begin() + static_cast<std::ptrdiff_t>(RawHeaderSize + pixelBytes);
  picture.thumbnail.assign(thumbnail, bytes.end());
  return picture;
}

} // namespace vostrel::sim
