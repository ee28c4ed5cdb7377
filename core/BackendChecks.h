#pragma once
// Refusals that the backends share and that need no SDK: the camera number
// of Connect, the length of an owner name and the number of a card picture;
// and the conversion of an operation's failures into its own message.

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

// Refuses a picture number outside a card collection of `count` pictures,
// before any SDK call: "<request> <n> but picture numbers start at 0" or
// "... but max is only <count - 1>". `request` is "Requested download of
// picture" or "Requested delete of picture".
void CheckPictureNumber(const char* request, std::int32_t number, std::size_t count);

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

} // namespace vostrel
