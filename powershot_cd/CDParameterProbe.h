#pragma once
// The parameter probe of a CD camera's RemoteStart: which public values of
// every shooting parameter the camera accepts. Where the SDK can list a
// family's accepted codes the list is taken; where it cannot, every public
// value is tried by writing it, and a write the camera takes flags the value.
// A parameter with nothing found gets its "no value" flag instead.
//
// The trial writes change the camera's settings and switch its shooting
// mode; the caller saves the settings before and restores them after.

#include "core/CamDefines.h"
#include "powershot_cd/CDTYPE.h"

#include <cstdint>
#include <functional>

namespace vostrel::cd {

// Receives the percentage after each step: 16 reports, the last two 100.
using ProbeProgressFn = std::function<void(std::int32_t percent)>;

// Fills the table. The count, next and release calls of an enumeration are
// checked and end the probe with their error (the enumeration is released
// first); the trial writes and shooting-mode switches ignore their results.
void ProbeSupportedParams(cdHandle source, SupportedParamValuesType& table,
                          const ProbeProgressFn& report);

} // namespace vostrel::cd
