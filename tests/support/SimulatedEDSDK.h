#pragma once
// The control interface of the simulated EDSDK.DLL beside the test program,
// resolved once per program from the same library the binding loads.

#include "support/SimulatedLibrary.h"

namespace vostrel::test {

inline sim::SimControlClient& SimulatedEDSDK() {
  return SimulatedLibrary("EDSDK.DLL");
}

} // namespace vostrel::test
