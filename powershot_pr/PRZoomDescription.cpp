#include "powershot_pr/PRZoomDescription.h"

#include "core/ECamException.h"
#include "core/LittleEndian.h"

namespace vostrel::pr {

namespace {

constexpr std::size_t CurrentOffset = 7;
constexpr std::size_t FormOffset = 9;
constexpr std::size_t MinimumOffset = 10;
constexpr std::size_t MaximumOffset = 12;
constexpr std::size_t StepOffset = 14;
constexpr std::uint8_t RangeForm = 1;

} // namespace

PRZoomDescription ReadZoomDescription(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < PRZoomDescriptionSize) {
    throw ECamException("The camera's zoom description is incomplete");
  }
  if (data[FormOffset] != RangeForm) {
    throw ECamException("The camera's zoom description gives no zoom range");
  }
  return {ReadUInt16LE(data + CurrentOffset), ReadUInt16LE(data + MinimumOffset),
          ReadUInt16LE(data + MaximumOffset), ReadUInt16LE(data + StepOffset)};
}

} // namespace vostrel::pr
