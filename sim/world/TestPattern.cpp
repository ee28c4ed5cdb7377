#include "sim/world/TestPattern.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace vostrel::sim {

namespace {

constexpr int GlyphWidth = 5;
constexpr int GlyphHeight = 7;

// Digits 0 to 9, one row per byte, the leftmost pixel in bit 4.
constexpr std::array<std::array<std::uint8_t, GlyphHeight>, 10> Digits = {{
    {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E},
    {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
    {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F},
    {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
    {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02},
    {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
    {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E},
    {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
    {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E},
    {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C},
}};

bool glyphPixel(char digit, int column, int row) {
  const auto& glyph = Digits[static_cast<std::size_t>(digit - '0')];
  return ((glyph[static_cast<std::size_t>(row)] >> (GlyphWidth - 1 - column)) & 1) != 0;
}

// Red grows from left to right and green from top to bottom: every row is
// the first one's red and blue with its own green.
void fillGradient(Rgb8Image& image, std::uint8_t blue) {
  const auto rowBytes = static_cast<std::size_t>(std::max(0, image.width)) * 3;
  std::vector<std::uint8_t> row(rowBytes);
  for (int x = 0; x < image.width; ++x) {
    const auto offset = static_cast<std::size_t>(x) * 3;
    row[offset] = static_cast<std::uint8_t>(x * 255 / std::max(1, image.width - 1));
    row[offset + 2] = blue;
  }
  for (int y = 0; y < image.height; ++y) {
    const auto green = static_cast<std::uint8_t>(y * 255 / std::max(1, image.height - 1));
    std::uint8_t* const pixels = image.samples.data() + image.index(0, y, 0);
    std::copy(row.begin(), row.end(), pixels);
    for (std::size_t offset = 1; offset < rowBytes; offset += 3) {
      pixels[offset] = green;
    }
  }
}

// Writes the text in white on a black box, centred, as large as it fits.
// The box has GlyphHeight different lines of pixels and a dark one; each is
// drawn once and copied to every row that shows it.
void drawNumber(Rgb8Image& image, const std::string& text) {
  const int cells = static_cast<int>(text.size()) * (GlyphWidth + 1) + 1;
  const int scale = std::max(1, std::min(image.width / cells, image.height / (2 * GlyphHeight)));
  const int boxWidth = cells * scale;
  const int boxHeight = (GlyphHeight + 2) * scale;
  const int left = (image.width - boxWidth) / 2;
  const int top = (image.height - boxHeight) / 2;
  const int firstX = std::max(0, left);
  const int endX = std::min(image.width, left + boxWidth);
  if (firstX >= endX) {
    return;
  }
  const auto lineBytes = static_cast<std::size_t>(endX - firstX) * 3;

  // Line cellY of the glyphs; the dark line is the last.
  std::vector<std::vector<std::uint8_t>> lines(GlyphHeight + 1,
                                               std::vector<std::uint8_t>(lineBytes, 0));
  for (int x = firstX; x < endX; ++x) {
    const int cellX = (x - left) / scale - 1;
    const int glyph = cellX / (GlyphWidth + 1);
    const int column = cellX % (GlyphWidth + 1);
    if (cellX < 0 || column >= GlyphWidth || glyph >= static_cast<int>(text.size())) {
      continue;
    }
    const auto offset = static_cast<std::size_t>(x - firstX) * 3;
    for (int cellY = 0; cellY < GlyphHeight; ++cellY) {
      if (glyphPixel(text[static_cast<std::size_t>(glyph)], column, cellY)) {
        std::fill_n(lines[static_cast<std::size_t>(cellY)].begin() +
                        static_cast<std::ptrdiff_t>(offset),
                    3, std::uint8_t{255});
      }
    }
  }

  for (int y = std::max(0, top); y < std::min(image.height, top + boxHeight); ++y) {
    const int cellY = (y - top) / scale - 1;
    const auto& line =
        lines[static_cast<std::size_t>(cellY >= 0 && cellY < GlyphHeight ? cellY : GlyphHeight)];
    std::copy(line.begin(), line.end(),
              image.samples.begin() + static_cast<std::ptrdiff_t>(image.index(firstX, y, 0)));
  }
}

constexpr int MarkBits = 32;

// The rectangle of one cell of the mark: row 0 holds the body ID, row 1 the
// shot.
struct MarkCell {
  int left, top, width, height;
};

MarkCell markCell(const Rgb8Image& image, int row, int bit) {
  const int width = std::max(1, image.width / MarkBits);
  const int height = std::max(2, image.height / 30);
  return {bit * width, image.height - (2 - row) * height, width, height};
}

} // namespace

void drawShotMark(Rgb8Image& image, const ShotMark& mark) {
  const std::uint32_t values[2] = {mark.bodyId, mark.shot};
  for (int row = 0; row < 2; ++row) {
    for (int bit = 0; bit < MarkBits; ++bit) {
      const bool set = ((values[row] >> (MarkBits - 1 - bit)) & 1u) != 0;
      const MarkCell cell = markCell(image, row, bit);
      for (int y = std::max(0, cell.top); y < cell.top + cell.height; ++y) {
        for (int x = cell.left; x < std::min(image.width, cell.left + cell.width); ++x) {
          for (int channel = 0; channel < 3; ++channel) {
            image.at(x, y, channel) = set ? 255 : 0;
          }
        }
      }
    }
  }
}

ShotMark readShotMark(const Rgb8Image& image) {
  std::uint32_t values[2] = {0, 0};
  for (int row = 0; row < 2; ++row) {
    for (int bit = 0; bit < MarkBits; ++bit) {
      const MarkCell cell = markCell(image, row, bit);
      const int x = std::min(image.width - 1, cell.left + cell.width / 2);
      const int y = std::clamp(cell.top + cell.height / 2, 0, image.height - 1);
      const int level = image.at(x, y, 0) + image.at(x, y, 1) + image.at(x, y, 2);
      values[row] = (values[row] << 1) | (level > 3 * 128 ? 1u : 0u);
    }
  }
  return {values[0], values[1]};
}

std::string shotMarkComment(const ShotMark& mark) {
  return "camera " + std::to_string(mark.bodyId) + " shot " + std::to_string(mark.shot);
}

std::uint8_t patternBlue(std::uint32_t number) {
  return static_cast<std::uint8_t>((number * 53u + 40u) % 256u);
}

Rgb8Image testPattern(int width, int height, std::uint32_t number) {
  Rgb8Image image(width, height);
  fillGradient(image, patternBlue(number));
  std::string text = std::to_string(number % 10000);
  text.insert(0, 4 - text.size(), '0');
  drawNumber(image, text);
  return image;
}

} // namespace vostrel::sim
