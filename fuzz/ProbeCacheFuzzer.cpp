// The probe cache file, which lies in a folder the host chooses.

#include "core/ProbeCache.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vostrel::SupportedParamValuesType values{};
  vostrel::DecodeProbeCache(std::vector<std::uint8_t>(data, data + size), values);
  return 0;
}
