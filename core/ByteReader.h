#pragma once
// Reads little-endian fields of outside data (SDK records, files) in order
// and never past the end of the bytes that were delivered.
//
// Every bound is checked against the bytes that remain, and a count that
// comes with the data is divided into the remaining bytes, never multiplied
// by an element width: a count chosen by a camera cannot wrap a check around
// on any width of the size type. The size type is a parameter so that the
// same checks run with a 32-bit size on every build.

#include "core/ECamException.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace vostrel {

template <typename SizeType>
class BasicByteReader {
public:
  using Size = SizeType;

  // Reading past the end raises ECamException(truncatedMessage).
  BasicByteReader(const std::uint8_t* data, Size size, std::string truncatedMessage)
      : data_(data), size_(size), truncatedMessage_(std::move(truncatedMessage)) {}

  Size Offset() const { return offset_; }
  Size Remaining() const { return size_ - offset_; }

  // True when count more bytes can be read.
  bool Has(Size count) const { return count <= Remaining(); }
  // True when count elements of width bytes each can be read.
  bool HasElements(Size count, Size width) const {
    return width == 0 || count <= Remaining() / width;
  }
  // The number of whole elements of width bytes that remain.
  Size ElementsLeft(Size width) const { return width == 0 ? 0 : Remaining() / width; }

  void Require(Size count) const {
    if (!Has(count)) {
      throw ECamException(truncatedMessage_);
    }
  }
  void RequireElements(Size count, Size width) const {
    if (!HasElements(count, width)) {
      throw ECamException(truncatedMessage_);
    }
  }

  void Skip(Size count) {
    Require(count);
    offset_ += count;
  }

  std::uint8_t U8() { return static_cast<std::uint8_t>(Unsigned(1)); }
  std::uint16_t U16() { return static_cast<std::uint16_t>(Unsigned(2)); }
  std::uint32_t U32() { return Unsigned(4); }

  // An unsigned value of 1 to 4 bytes.
  std::uint32_t Unsigned(Size width) {
    Require(width);
    std::uint32_t value = 0;
    for (Size i = 0; i < width && i < 4; ++i) {
      value |= static_cast<std::uint32_t>(data_[offset_ + i]) << (8 * i);
    }
    offset_ += width;
    return value;
  }

private:
  const std::uint8_t* data_;
  Size size_;
  Size offset_ = 0;
  std::string truncatedMessage_;
};

// The reader for data in memory.
using ByteReader = BasicByteReader<std::size_t>;

} // namespace vostrel
