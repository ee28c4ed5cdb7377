#include "powershot_pr/PRDeviceInfo.h"

#include "core/ECamException.h"

namespace vostrel {

namespace {

// Reads fields in order and never past the end of the delivered bytes.
class DatasetReader {
public:
  DatasetReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  void skip(std::size_t count) {
    require(count);
    offset_ += count;
  }

  std::uint8_t u8() {
    require(1);
    return data_[offset_++];
  }

  std::uint16_t u16() {
    require(2);
    const auto value = static_cast<std::uint16_t>(data_[offset_] | data_[offset_ + 1] << 8);
    offset_ += 2;
    return value;
  }

  std::uint32_t u32() {
    const std::uint32_t low = u16();
    return low | static_cast<std::uint32_t>(u16()) << 16;
  }

  // A string: an 8-bit count of 16-bit characters.
  void skipString() { skip(2 * static_cast<std::size_t>(u8())); }

  // An array of 16-bit codes after its 32-bit count.
  std::vector<std::uint16_t> u16Array() {
    const std::uint32_t count = u32();
    require(2 * static_cast<std::size_t>(count));
    std::vector<std::uint16_t> values;
    values.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      values.push_back(u16());
    }
    return values;
  }

private:
  void require(std::size_t count) const {
    if (count > size_ - offset_) {
      throw ECamException("PR_GetDeviceInfo delivered incomplete device information");
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t offset_ = 0;
};

} // namespace

PRDeviceInfoLists ReadPRDeviceInfo(const std::uint8_t* data, std::size_t size,
                                   bool withProperties) {
  DatasetReader reader(data, size);
  reader.skip(2); // standard version
  reader.skip(4); // vendor extension ID
  reader.skip(2); // vendor extension version
  reader.skipString();
  reader.skip(2); // functional mode
  PRDeviceInfoLists lists;
  lists.Operations = reader.u16Array();
  if (withProperties) {
    static_cast<void>(reader.u16Array()); // events
    lists.Properties = reader.u16Array();
  }
  return lists;
}

} // namespace vostrel
