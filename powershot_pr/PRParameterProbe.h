#pragma once
// The parameter probe of a PR camera's RemoteStart: for every shooting
// parameter that the camera offers, the values listed by its property
// description are flagged in a SupportedParamValuesType; a parameter the
// camera does not offer gets its "no value" flag instead. The camera's
// shooting mode is switched on the way, so that the aperture and shutter-speed
// descriptions list what the modes that use them allow.

#include "core/CamDefines.h"
#include "powershot_pr/PRSDKApi.h"
#include "powershot_pr/PRTYPE.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vostrel::pr {

// Receives the percentage after each step; 21 reports, the last one 100.
using ProbeProgressFn = std::function<void(std::int32_t percent)>;

// Fills the table from the camera's descriptions. A failed description raises
// (CheckPRError) and ends the probe there; the shooting-mode switches ignore
// their results. The kinds without a PR property are flagged as not offered
// (quality and size beside RAW, colour space, AF mode) or not supported
// (white-balance shift, picture style).
void ProbeSupportedParams(prHandle camera, const TPRSDK& backend, SupportedParamValuesType& table,
                          const ProbeProgressFn& report);

// The enumerated values of a DevicePropDesc dataset whose values are `width`
// bytes wide; the enumeration form is taken for granted. A dataset shorter
// than it says ends the list where its data ends.
std::vector<std::uint32_t> DescribedValues(const std::uint8_t* data, std::size_t size,
                                           std::uint32_t width);

} // namespace vostrel::pr
