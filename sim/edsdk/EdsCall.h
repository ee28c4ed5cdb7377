#pragma once
// One call of an entry point of the simulated EDSDK: the common call of the
// simulated libraries, with access to the EDSDK simulator.

#include "sim/world/SdkCall.h"

namespace vostrel::sim::eds {

class EdsSimulator;

class Call : public SdkCall {
public:
  Call(EdsSimulator& simulator, const char* name);

  EdsSimulator& simulator() { return simulator_; }

private:
  EdsSimulator& simulator_;
};

} // namespace vostrel::sim::eds
