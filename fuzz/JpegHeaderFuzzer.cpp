// The header of a card picture's thumbnail, as the camera delivers it.

#include "core/ECamException.h"
#include "core/JPEGImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const auto image = vostrel::TJPEGImage::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (image->Width() < 0 || image->Height() < 0 || image->Bytes().size() != size) {
      __builtin_trap();
    }
  } catch (const vostrel::ECamException&) {
  }
  return 0;
}
