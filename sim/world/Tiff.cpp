#include "sim/world/Tiff.h"

#include <map>

namespace vostrel::sim {

namespace {

enum Tag : std::uint16_t {
  ImageWidth = 256,
  ImageLength = 257,
  BitsPerSample = 258,
  Compression = 259,
  Photometric = 262,
  StripOffsets = 273,
  SamplesPerPixel = 277,
  RowsPerStrip = 278,
  StripByteCounts = 279,
  XResolution = 282,
  YResolution = 283,
  PlanarConfiguration = 284,
  ResolutionUnit = 296,
  IccProfile = 34675,
};

enum FieldType : std::uint16_t { Short = 3, Long = 4, Rational = 5, Undefined = 7 };

struct Field {
  std::uint16_t tag;
  FieldType type;
  std::uint32_t count;
  std::uint32_t value; // the value itself, or the offset of the values
};

std::uint32_t align2(std::uint32_t offset) {
  return offset + (offset & 1u);
}

template <typename Sample>
Bytes encode(const RgbImage<Sample>& image, const Bytes& iccProfile) {
  constexpr std::uint16_t bits = sizeof(Sample) * 8;
  const std::uint32_t stripSize = static_cast<std::uint32_t>(image.samples.size() * sizeof(Sample));
  // Layout: header, bits-per-sample values, two resolutions, ICC profile,
  // strip, then the directory.
  const std::uint32_t bitsOffset = 8;
  const std::uint32_t resolutionOffset = bitsOffset + 6 + 2;
  const std::uint32_t iccOffset = resolutionOffset + 16;
  const std::uint32_t stripOffset =
      align2(iccOffset + static_cast<std::uint32_t>(iccProfile.size()));
  const std::uint32_t directoryOffset = align2(stripOffset + stripSize);

  std::vector<Field> fields = {
      {ImageWidth, Long, 1, static_cast<std::uint32_t>(image.width)},
      {ImageLength, Long, 1, static_cast<std::uint32_t>(image.height)},
      {BitsPerSample, Short, 3, bitsOffset},
      {Compression, Short, 1, 1},
      {Photometric, Short, 1, 2},
      {StripOffsets, Long, 1, stripOffset},
      {SamplesPerPixel, Short, 1, 3},
      {RowsPerStrip, Long, 1, static_cast<std::uint32_t>(image.height)},
      {StripByteCounts, Long, 1, stripSize},
      {XResolution, Rational, 1, resolutionOffset},
      {YResolution, Rational, 1, resolutionOffset + 8},
      {PlanarConfiguration, Short, 1, 1},
      {ResolutionUnit, Short, 1, 2},
  };
  if (!iccProfile.empty()) {
    fields.push_back(
        {IccProfile, Undefined, static_cast<std::uint32_t>(iccProfile.size()), iccOffset});
  }

  Bytes bytes = {'I', 'I', 42, 0};
  appendU32(bytes, directoryOffset);
  for (int i = 0; i < 3; ++i) {
    appendU16(bytes, bits);
  }
  appendU16(bytes, 0);
  for (int i = 0; i < 2; ++i) { // 72 pixels per inch
    appendU32(bytes, 72);
    appendU32(bytes, 1);
  }
  bytes.insert(bytes.end(), iccProfile.begin(), iccProfile.end());
  bytes.resize(stripOffset, 0);
  for (Sample sample : image.samples) {
    if constexpr (sizeof(Sample) == 1) {
      bytes.push_back(sample);
    } else {
      appendU16(bytes, sample);
    }
  }
  bytes.resize(directoryOffset, 0);
  appendU16(bytes, static_cast<std::uint16_t>(fields.size()));
  for (const Field& field : fields) {
    appendU16(bytes, field.tag);
    appendU16(bytes, field.type);
    appendU32(bytes, field.count);
    // A single SHORT sits in the low half of the value field.
    appendU32(bytes, field.value);
  }
  appendU32(bytes, 0); // no further directory
  return bytes;
}

std::uint32_t fieldValue(const Bytes& tiff, std::size_t entry) {
  const std::uint16_t type = readU16(tiff, entry + 2);
  return type == Short ? readU16(tiff, entry + 8) : readU32(tiff, entry + 8);
}

} // namespace

Bytes encodeTiff(const Rgb8Image& image, const Bytes& iccProfile) {
  return encode(image, iccProfile);
}

Bytes encodeTiff(const Rgb16Image& image, const Bytes& iccProfile) {
  return encode(image, iccProfile);
}

TiffContent readTiff(const Bytes& tiff) {
  try {
    if (tiff.size() < 8 || tiff[0] != 'I' || tiff[1] != 'I' || readU16(tiff, 2) != 42) {
      throw TiffError("not a little-endian TIFF");
    }
    const std::size_t directory = readU32(tiff, 4);
    const std::uint16_t count = readU16(tiff, directory);
    std::map<std::uint16_t, std::size_t> entries;
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t entry = directory + 2 + 12 * i;
      entries[readU16(tiff, entry)] = entry;
    }
    auto value = [&](std::uint16_t tag) {
      const auto found = entries.find(tag);
      if (found == entries.end()) {
        throw TiffError("TIFF without tag " + std::to_string(tag));
      }
      return fieldValue(tiff, found->second);
    };
    if (value(Compression) != 1 || value(SamplesPerPixel) != 3 || value(Photometric) != 2) {
      throw TiffError("TIFF that is not uncompressed RGB");
    }
    TiffContent content;
    content.bitsPerSample = readU16(tiff, value(BitsPerSample));
    if (content.bitsPerSample != 8 && content.bitsPerSample != 16) {
      throw TiffError("TIFF with " + std::to_string(content.bitsPerSample) + " bits per sample");
    }
    content.pixels =
        Rgb16Image(static_cast<int>(value(ImageWidth)), static_cast<int>(value(ImageLength)));
    const std::size_t strip = value(StripOffsets);
    const std::size_t sampleBytes = static_cast<std::size_t>(content.bitsPerSample / 8);
    for (std::size_t i = 0; i < content.pixels.samples.size(); ++i) {
      content.pixels.samples[i] =
          sampleBytes == 1 ? tiff.at(strip + i) : readU16(tiff, strip + 2 * i);
    }
    if (const auto icc = entries.find(IccProfile); icc != entries.end()) {
      const std::size_t length = readU32(tiff, icc->second + 4);
      const std::size_t offset = readU32(tiff, icc->second + 8);
      if (offset + length > tiff.size()) {
        throw TiffError("TIFF with a truncated ICC profile");
      }
      content.iccProfile.assign(tiff.begin() + static_cast<std::ptrdiff_t>(offset),
                                tiff.begin() + static_cast<std::ptrdiff_t>(offset + length));
    }
    return content;
  } catch (const std::out_of_range&) {
    throw TiffError("truncated TIFF");
  }
}

} // namespace vostrel::sim
