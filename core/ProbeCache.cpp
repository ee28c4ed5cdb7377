#include "core/ProbeCache.h"

#include "core/LittleEndian.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <vector>

namespace vostrel {

namespace {

constexpr std::size_t TagSize = 4;
constexpr std::size_t ProbeCacheFileSize = TagSize + SupportedParamValuesSize;

// The folder part of a file name, or an empty string for a bare name.
std::string FolderOf(const std::string& fileName) {
  const std::string separators{'/', platform::pathSeparator()};
  const std::size_t last = fileName.find_last_of(separators);
  if (last == std::string::npos) {
    return {};
  }
  return fileName.substr(0, last);
}

} // namespace

void WriteProbeCache(const std::string& fileName, const SupportedParamValuesType& values) {
  const std::string folder = FolderOf(fileName);
  if (!folder.empty()) {
    platform::createDirectories(folder);
  }
  std::vector<std::uint8_t> bytes;
  bytes.reserve(ProbeCacheFileSize);
  AppendInt32LE(bytes, ProbeCacheFormatTag);
  bytes.insert(bytes.end(), values.Flags.begin(), values.Flags.end());
  platform::writeFile(fileName, bytes);
}

bool ReadProbeCache(const std::string& fileName, SupportedParamValuesType& values) {
  if (!platform::fileExists(fileName)) {
    return false;
  }
  const std::vector<std::uint8_t> bytes = platform::readFile(fileName);
  if (bytes.size() < TagSize || ReadInt32LE(bytes.data()) != ProbeCacheFormatTag) {
    return false;
  }
  // A file cut short after the tag holds no complete table: it is treated as
  // not cached rather than filling the table with whatever was not written.
  if (bytes.size() < ProbeCacheFileSize) {
    return false;
  }
  std::copy_n(bytes.begin() + TagSize, SupportedParamValuesSize, values.Flags.begin());
  return true;
}

} // namespace vostrel
