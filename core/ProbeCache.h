#pragma once
// The probe cache file: a backend that has probed which parameter values a
// camera accepts may keep the result, so that a later RemoteStart can skip
// the probing. The file holds the 32-bit little-endian format tag 285
// followed by the 309 bytes of one SupportedParamValuesType.

#include "core/CamDefines.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {

inline constexpr std::int32_t ProbeCacheFormatTag = 285;

// Creates the file's folder with every missing parent and writes the file,
// replacing an old one. File-layer errors (std::system_error) propagate.
void WriteProbeCache(const std::string& fileName, const SupportedParamValuesType& values);

// Fills values from the file and returns true. Returns false, leaving values
// untouched, when the file does not exist, does not start with the format
// tag, or is too short to hold the whole table. Read errors, and a name that
// is not a regular file (a pipe, a device), raise std::system_error.
bool ReadProbeCache(const std::string& fileName, SupportedParamValuesType& values);

// The same for the bytes of such a file.
bool DecodeProbeCache(const std::vector<std::uint8_t>& bytes, SupportedParamValuesType& values);

// The cache file of a model and image mode: "<folder>/<model> Mode<mode>"
// with the system's path separator, for example "C:\Cache\EOS Studio Mode3".
// Characters that cannot stand in a file name (path separators, ':', '*',
// '?', '"', '<', '>', '|', control characters) and every ".." of the model
// name become '_', and a model name that starts with a reserved device name
// (CON, NUL, COM1, ...) gets a leading '_', so the file always lies directly
// inside the cache folder.
std::string ProbeCacheFileName(const std::string& cacheDirectory, const std::string& modelName,
                               std::uint8_t imageMode);

} // namespace vostrel
