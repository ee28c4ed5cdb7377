#pragma once
// Byte buffers and little-endian fields, as the simulated camera libraries
// store files, property values and records.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel::sim {

using Bytes = std::vector<std::uint8_t>;

inline void appendU16(Bytes& bytes, std::uint16_t value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline void appendU32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

inline std::uint16_t readU16(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}

inline std::uint32_t readU32(const Bytes& bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) {
    value = (value << 8) | bytes.at(offset + static_cast<std::size_t>(i));
  }
  return value;
}

inline void writeU32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes.at(offset + static_cast<std::size_t>(i)) = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

// Fields of a record the host handed over as raw memory.
inline void putU16(std::uint8_t* target, std::uint16_t value) {
  target[0] = static_cast<std::uint8_t>(value);
  target[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putU32(std::uint8_t* target, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    target[i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

inline std::uint32_t getU32(const std::uint8_t* source) {
  return static_cast<std::uint32_t>(source[0]) | static_cast<std::uint32_t>(source[1]) << 8 |
         static_cast<std::uint32_t>(source[2]) << 16 | static_cast<std::uint32_t>(source[3]) << 24;
}

inline Bytes u32Bytes(std::uint32_t value) {
  Bytes bytes;
  appendU32(bytes, value);
  return bytes;
}

inline Bytes textBytes(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// The text up to the first zero byte (or the whole buffer).
inline std::string bytesText(const Bytes& bytes) {
  std::string text;
  for (std::uint8_t byte : bytes) {
    if (byte == 0) {
      break;
    }
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

} // namespace vostrel::sim
