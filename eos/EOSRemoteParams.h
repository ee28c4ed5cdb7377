#pragma once
// Reading and writing the shooting parameters of a connected EOS camera as
// one RemoteParamsType of public values.
//
// Neither direction raises on an SDK failure: a property that cannot be read
// leaves its fields 0, and a value the camera refuses is retried for about
// five seconds and then dropped without a message. The caller learns of a
// refused value only by reading the parameters back. (Calling while EDSDK.DLL
// is not bound still raises, as every EDSDK call does.)

#include "core/CamDefines.h"
#include "eos/EDSDKTYPES.h"
#include "platform/Clock.h"

namespace vostrel::eos {

// The pause between two tries of a refused write, and the waiting after which
// the value is dropped: 51 tries over five seconds.
inline constexpr platform::Milliseconds SetRetryInterval{100};
inline constexpr platform::Milliseconds SetRetryLimit{5000};

// Fills the record with the camera's current settings. Fields without an EOS
// property (strobe, AF distance, focusing point, assist light, contrast,
// colour gain, sharpness, beep) are 0.
void ReadRemoteParams(EdsCameraRef camera, RemoteParamsType& params);

// Writes every non-zero field of the record to the camera, one property after
// the other in a fixed order, each through SetWithRetry. A value that has no
// EOS code is not sent. The colour temperature goes with white-balance
// setting 13, the white-balance shift and picture style with their enabled
// bytes.
void WriteRemoteParams(EdsCameraRef camera, const RemoteParamsType& params);

// Writes one property value, retrying a refused write every SetRetryInterval
// until SetRetryLimit of waiting has accumulated. Returns whether the camera
// took the value. Never raises on an SDK failure.
bool SetWithRetry(EdsCameraRef camera, EdsUInt32 propertyId, const void* data, EdsUInt32 size);

} // namespace vostrel::eos
