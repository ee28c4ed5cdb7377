#include "sim/edsdk/EdsCall.h"

#include "sim/edsdk/EdsSimulator.h"

namespace vostrel::sim::eds {

Call::Call(EdsSimulator& simulator, const char* name)
    : SdkCall(simulator, name), simulator_(simulator) {}

} // namespace vostrel::sim::eds
