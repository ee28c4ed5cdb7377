#pragma once
// The parameter probe of remote shooting: finds out which public values of
// each shooting parameter the connected EOS camera offers, and fills a
// SupportedParamValuesType with them.
//
// EDSDK lists the allowed values of some properties (image mode, aperture,
// shutter speed, exposure compensation, metering mode, sensitivity); those
// rows come from the property descriptors. The other kinds are found by
// trial: every candidate value is written to the camera and the ones it
// takes are kept (for the image quality only those that also read back as
// written). Probing therefore changes the camera's settings while it runs;
// they are saved first and written back at the end, also when the probe
// fails.
//
// The result can be kept in a cache file per camera model and image mode, so
// a later RemoteStart answers from the file without touching the camera.

#include "core/CamDefines.h"
#include "core/ProbeCache.h"
#include "eos/EDSDKTYPES.h"
#include "platform/Clock.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vostrel::eos {

// Receives the progress of a probe in percent: 6, 18, 24, ... 94, 100.
using ProbeProgressFn = std::function<void(std::int32_t percent)>;

// The pause between writing an image quality and reading it back.
inline constexpr platform::Milliseconds ProbeReadBackDelay{50};

// Fills `table` with the values the camera offers. With a cache folder the
// cache file of the camera's model and current image mode is read first: a
// valid file answers at once, with no write to the camera and no progress
// report; otherwise the camera is probed and the file written afterwards.
// Without a cache folder no file is read or written.
//
// A failing EdsGetPropertyDesc raises its ECamException after the saved
// settings have been written back; no cache file is written then. Errors of
// the cache file itself propagate as file-layer errors (std::system_error).
void ProbeSupportedParams(EdsCameraRef camera, const std::string& modelName,
                          const std::string& cacheDirectory, SupportedParamValuesType& table,
                          const ProbeProgressFn& report);

} // namespace vostrel::eos
