#include "core/BackendChecks.h"

#include "core/ECamException.h"

namespace vostrel {

namespace {
constexpr std::size_t MaximumOwnerNameLength = 31;
} // namespace

void CheckConnectCameraNumber(std::int32_t number, std::size_t count, const std::string& family,
                              const std::string& emptyListMessage) {
  if (number < 0) {
    throw ECamException("Not valid value in parameter ConnectToCamera when calling Connect. "
                        "Value must be at least zero. Currently ConnectToCamera = " +
                        std::to_string(number));
  }
  if (count == 0) {
    throw ECamException(emptyListMessage);
  }
  if (static_cast<std::size_t>(number) >= count) {
    throw ECamException(
        "Not valid value in parameter ConnectToCamera when calling Connect. There are only " +
        std::to_string(count) + " " + family +
        " cameras connected. Currently is parameter ConnectToCamera = " + std::to_string(number));
  }
}

void CheckOwnerNameLength(const std::string& name) {
  if (name.size() > MaximumOwnerNameLength) {
    throw ECamException("The owner name to set is too long");
  }
}

void CheckPictureNumber(const char* request, std::int32_t number, std::size_t count) {
  const std::string prefix = std::string(request) + " " + std::to_string(number);
  if (number < 0) {
    throw ECamException(prefix + " but picture numbers start at 0");
  }
  if (static_cast<std::size_t>(number) >= count) {
    throw ECamException(prefix + " but max is only " +
                        std::to_string(static_cast<std::int64_t>(count) - 1));
  }
}

} // namespace vostrel
