#pragma once
// Copying results of the control interface into a caller's buffer: the size
// needed is returned, and the copy is made only when the buffer is large
// enough.

#include "sim/world/Bytes.h"

#include <cstring>
#include <string>

namespace vostrel::sim {

// Text with its terminating zero.
inline std::size_t copyText(const std::string& text, char* buffer, std::size_t size) {
  const std::size_t needed = text.size() + 1;
  if (buffer != nullptr && size >= needed) {
    std::memcpy(buffer, text.c_str(), needed);
  }
  return needed;
}

inline std::size_t copyBytes(const Bytes& bytes, void* buffer, std::size_t size) {
  if (buffer != nullptr && size >= bytes.size() && !bytes.empty()) {
    std::memcpy(buffer, bytes.data(), bytes.size());
  }
  return bytes.size();
}

} // namespace vostrel::sim
