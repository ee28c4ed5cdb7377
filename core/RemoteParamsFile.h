#pragma once
// The remote parameter file: a snapshot of one RemoteParamsType in public
// values, so that it can be applied to a camera of any family. 48 bytes: the
// 32-bit little-endian format tag 44 (the length of the record), then the
// record byte for byte.

#include "core/CamDefines.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vostrel {

inline constexpr std::int32_t RemoteParamsFileFormatTag = 44;
// All that is read of a file: the tag and the record.
inline constexpr std::size_t RemoteParamsFileSize = 4 + sizeof(RemoteParamsType);

// The file's bytes for the record; the reserved bytes are written as 0.
std::vector<std::uint8_t> EncodeRemoteParamsFile(const RemoteParamsType& params);

// The record of a file's bytes. Bytes after the record are ignored. A file
// too short for tag and record, or with another tag, raises ECamException
// "Camera remote parameters file <fileName> is of invalid data format.
// Please create a new file."
RemoteParamsType DecodeRemoteParamsFile(const std::vector<std::uint8_t>& bytes,
                                        const std::string& fileName);

} // namespace vostrel
