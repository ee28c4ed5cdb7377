#pragma once
// Refusals that the PowerShot backends share and that need no SDK: the
// camera number of Connect and the length of an owner name; and the
// conversion of an operation's failures into its own message.

#include "core/ECamException.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vostrel {

// Raises ECamException for a camera number that is negative, for an empty
// device list (with emptyListMessage) and for a number beyond the list
// ("There are only <count> <family> cameras connected. ...").
void CheckConnectCameraNumber(std::int32_t number, std::size_t count, const std::string& family,
                              const std::string& emptyListMessage);

// The cameras keep at most 31 characters of owner name; a longer name raises
// "The owner name to set is too long".
void CheckOwnerNameLength(const std::string& name);

// Runs the step and raises every failure of it, whatever it was, as
// ECamException(message).
template <typename Step>
void ConvertingFailuresTo(const char* message, Step step) {
  try {
    step();
  } catch (...) {
    throw ECamException(message);
  }
}

// The refusal of an operation whose SDK work is not built yet:
// "<operation> is not available yet".
[[noreturn]] void RaiseNotAvailableYet(const std::string& operation);

} // namespace vostrel
