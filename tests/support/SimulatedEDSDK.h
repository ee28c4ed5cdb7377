#pragma once
// The control interface of the simulated EDSDK.DLL beside the test program,
// resolved once per program from the same library the binding loads.

#include "platform/DynamicLibrary.h"
#include "sim/SimControlClient.h"

#include <memory>
#include <stdexcept>

namespace vostrel::test {

inline sim::SimControlClient& SimulatedEDSDK() {
  static const std::unique_ptr<platform::DynamicLibrary> library =
      platform::DynamicLibrary::open("EDSDK.DLL");
  if (!library) {
    throw std::runtime_error("EDSDK.DLL is not next to the test program");
  }
  static sim::SimControlClient client(*library);
  return client;
}

} // namespace vostrel::test
