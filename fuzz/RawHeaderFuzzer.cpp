// A RAW file that the host hands over for development: the simulated
// library's reader of the format, the one the RAW development of the simulated
// EDSDK.DLL uses.

#include "sim/world/RawFormat.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const vostrel::sim::RawPicture picture =
        vostrel::sim::decodeRaw(vostrel::sim::Bytes(data, data + size));
    if (picture.thumbnail.size() > size) {
      __builtin_trap();
    }
  } catch (const vostrel::sim::RawFormatError&) {
  }
  return 0;
}
