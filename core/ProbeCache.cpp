#include "core/ProbeCache.h"

#include "core/LittleEndian.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>
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

bool CannotStandInFileName(char c) {
  constexpr std::string_view Forbidden = "\\/:*?\"<>|";
  const auto code = static_cast<unsigned char>(c);
  return code < 0x20 || code == 0x7F || Forbidden.find(c) != std::string_view::npos;
}

// Names that Windows takes for a device, whatever extension follows them.
bool IsReservedDeviceName(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  constexpr std::array<std::string_view, 4> Devices{"CON", "PRN", "AUX", "NUL"};
  if (std::find(Devices.begin(), Devices.end(), name) != Devices.end()) {
    return true;
  }
  return name.size() == 4 && (name.starts_with("COM") || name.starts_with("LPT")) &&
         name[3] >= '1' && name[3] <= '9';
}

// The model name as one plain file-name part.
std::string ModelFileName(const std::string& modelName) {
  std::string name = modelName;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const bool inDotDot = modelName[i] == '.' && ((i > 0 && modelName[i - 1] == '.') ||
                                                  (i + 1 < name.size() && modelName[i + 1] == '.'));
    if (inDotDot || CannotStandInFileName(modelName[i])) {
      name[i] = '_';
    }
  }
  std::string base = name.substr(0, name.find('.'));
  base.erase(base.find_last_not_of(' ') + 1);
  if (IsReservedDeviceName(base)) {
    name.insert(0, 1, '_');
  }
  return name;
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
  // Only as much as the format holds, and only from a regular file: a pipe
  // or device of that name is refused rather than waited for.
  return DecodeProbeCache(platform::readFileStart(fileName, ProbeCacheFileSize), values);
}

bool DecodeProbeCache(const std::vector<std::uint8_t>& bytes, SupportedParamValuesType& values) {
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

std::string ProbeCacheFileName(const std::string& cacheDirectory, const std::string& modelName,
                               std::uint8_t imageMode) {
  return platform::joinPath(cacheDirectory,
                            ModelFileName(modelName) + " Mode" + std::to_string(imageMode));
}

} // namespace vostrel
