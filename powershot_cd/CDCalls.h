#pragma once
// Calls of CDSDK.DLL whose result TCDSDK ignores.

#include "powershot_cd/CDAPI.h"

namespace vostrel::cdapi {

// An unchecked call: its result is ignored, and an entry point that is not
// bound is not called.
template <typename Entry, typename... Args>
void Unchecked(const Entry& entry, Args... args) noexcept {
  if (entry.bound()) {
    entry(args...);
  }
}

} // namespace vostrel::cdapi
