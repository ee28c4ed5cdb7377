#include "core/RemoteParamsFile.h"

#include "core/ECamException.h"
#include "core/LittleEndian.h"

#include <cstring>

namespace vostrel {

namespace {

constexpr std::size_t TagSize = 4;
constexpr std::size_t RecordSize = sizeof(RemoteParamsType);
constexpr std::size_t KelvinOffset = offsetof(RemoteParamsType, WhiteBalanceKelvin);

} // namespace

std::vector<std::uint8_t> EncodeRemoteParamsFile(const RemoteParamsType& params) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(TagSize + RecordSize);
  AppendInt32LE(bytes, RemoteParamsFileFormatTag);
  // Every field but the Kelvin value is a single byte; the Kelvin value is
  // stored little-endian whatever the host's byte order.
  const auto* record = reinterpret_cast<const std::uint8_t*>(&params);
  bytes.insert(bytes.end(), record, record + KelvinOffset);
  AppendInt32LE(bytes, params.WhiteBalanceKelvin);
  bytes.insert(bytes.end(), record + KelvinOffset + 4, record + RecordSize);
  bytes[TagSize + offsetof(RemoteParamsType, Reserved)] = 0;
  bytes[TagSize + offsetof(RemoteParamsType, Reserved) + 1] = 0;
  return bytes;
}

RemoteParamsType DecodeRemoteParamsFile(const std::vector<std::uint8_t>& bytes,
                                        const std::string& fileName) {
  if (bytes.size() < TagSize + RecordSize ||
      ReadInt32LE(bytes.data()) != RemoteParamsFileFormatTag) {
    throw ECamException("Camera remote parameters file " + fileName +
                        " is of invalid data format. Please create a " + "new file.");
  }
  RemoteParamsType params{};
  std::memcpy(&params, bytes.data() + TagSize, RecordSize);
  params.WhiteBalanceKelvin = ReadInt32LE(bytes.data() + TagSize + KelvinOffset);
  return params;
}

} // namespace vostrel
