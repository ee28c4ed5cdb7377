#pragma once
// An EDSDK error raised inside the simulated library; the entry point that
// runs the work returns its code.

#include "eos/EDSDKTYPES.h"
#include "sim/world/SdkCall.h"

namespace vostrel::sim::eds {

[[noreturn]] inline void fail(EdsError code) {
  throw SdkFailure(code);
}

} // namespace vostrel::sim::eds
