#include "powershot_pr/PRDeviceInfo.h"

#include "core/ByteReader.h"

namespace vostrel {

namespace {

constexpr const char* IncompleteMessage =
    "PR_GetDeviceInfo delivered incomplete device information";

// A string: an 8-bit count of 16-bit characters.
void SkipString(ByteReader& reader) {
  const std::size_t characters = reader.U8();
  reader.RequireElements(characters, 2);
  reader.Skip(characters * 2);
}

// An array of 16-bit codes after its 32-bit count.
std::vector<std::uint16_t> U16Array(ByteReader& reader) {
  const std::uint32_t count = reader.U32();
  reader.RequireElements(count, 2);
  std::vector<std::uint16_t> values;
  values.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    values.push_back(reader.U16());
  }
  return values;
}

} // namespace

PRDeviceInfoLists ReadPRDeviceInfo(const std::uint8_t* data, std::size_t size,
                                   bool withProperties) {
  ByteReader reader(data, size, IncompleteMessage);
  reader.Skip(2); // standard version
  reader.Skip(4); // vendor extension ID
  reader.Skip(2); // vendor extension version
  SkipString(reader);
  reader.Skip(2); // functional mode
  PRDeviceInfoLists lists;
  lists.Operations = U16Array(reader);
  if (withProperties) {
    static_cast<void>(U16Array(reader)); // events
    lists.Properties = U16Array(reader);
  }
  return lists;
}

} // namespace vostrel
