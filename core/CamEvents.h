#pragma once
// What the camera SDKs report back: the records of the controller's component
// events, the event types themselves, and the function-pointer types of the
// controller's thirteen SDK handlers, with the argument orders in which the
// SDKs call them.

#include "core/CamDefines.h"

#include <cstdint>
#include <functional>
#include <istream>

namespace vostrel {

// ---------------------------------------------------------------------------
// Event records.

// A camera event: severity in the low byte, the event in the high byte.
struct EventCallbackType {
  EventSeverityType Severity;
  EventEnumType Event;
};

static_assert(sizeof(EventCallbackType) == 2);
static_assert(offsetof(EventCallbackType, Severity) == 0);
static_assert(offsetof(EventCallbackType, Event) == 1);

// Extra data of a remote event. Every field a handler does not set is 0.
struct AdditionNotifyRemoteEventType {
  NotifyRemoteEventValidType EventValid; // 1: NumOfEvents valid; 2: TypeOfPicture valid
  TypeOfPictureType TypeOfPicture;
  std::int32_t NumOfEvents; // pictures produced by the release
};

// ---------------------------------------------------------------------------
// The controller's component events. An event counts as assigned when the
// function object is not empty; handlers fire only assigned events.

using TNotifyCameraEvent = std::function<void(EventCallbackType Event)>;
// The stream holds one JPEG frame and is positioned at its start. It lives
// only for the call; the receiver copies what it needs.
using TNotifyViewfinderEvent = std::function<void(std::istream& Jpegdata)>;
using TNotifyRemoteEvent = std::function<void(RemoteEventCallbackType Event,
                                              const AdditionNotifyRemoteEventType& EventData)>;
using TNotifyRemoteTakePictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyRemoteGetPictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyGetPictureEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyRemoteProbeParamEvent = std::function<void(std::int32_t PercentageDone)>;
using TNotifyRawDevelopEvent = std::function<void(std::int32_t PercentageDone)>;

// ---------------------------------------------------------------------------
// SDK handlers. Every handler returns 0 to the SDK.
//
// The CD and PR SDKs hand back the controller's InstanceIndex as a 32-bit
// context value; the EOS SDK hands back a pointer to the 32-bit
// InstanceIndex, kept in the registry's cell for the key, which outlives the
// controller and its backends.

using SDKContext = std::uint32_t;

// CD camera event: event word (severity in bits 16 to 19, event in the low 16
// bits), pointer to the event's 32-bit data, an unused value, context.
using CDCameraEventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t eventWord,
                                                                const std::uint32_t* eventData,
                                                                std::uint32_t unused,
                                                                SDKContext context);

// Release event (all three families): release event code, pointer to the
// 32-bit count of produced data items, an unused value, context.
using ReleaseEventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t releaseCode,
                                                               const std::uint32_t* count,
                                                               std::uint32_t unused,
                                                               SDKContext context);

// CD viewfinder frame: frame bytes, their length, an unused value, context.
using CDViewfinderHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(const std::uint8_t* frame,
                                                               std::uint32_t length,
                                                               std::uint32_t unused,
                                                               SDKContext context);

// PR viewfinder frame: an unused value (the camera handle), context, frame
// length, frame bytes.
using PRViewfinderHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t unused,
                                                               SDKContext context,
                                                               std::uint32_t length,
                                                               const std::uint8_t* frame);

// CD and PR progress: percentage, an unused value (the SDK's status), context.
using ProgressHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t percent,
                                                           std::uint32_t unused,
                                                           SDKContext context);
using RemoteGetPictureProgressHandlerFn = ProgressHandlerFn;
using TakePictureProgressHandlerFn = ProgressHandlerFn;
using GetPictureProgressHandlerFn = ProgressHandlerFn;

// PR camera event: an unused value (the camera handle), context, the PR event
// record (412 bytes; 16-bit event code at offset 6, 32-bit parameter at 16).
using PREventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t unused, SDKContext context,
                                                          const void* eventRecord);

// PR picture data: two unused values, context, the PR transfer progress
// record (PRProgressRecord in powershot_pr/PRTYPE.h).
using PRPictureDataHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t unused1,
                                                                std::uint32_t unused2,
                                                                SDKContext context,
                                                                const void* progressRecord);

// EOS handlers, with the argument orders of the EDSDK callback types.
using EOSPropertyEventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t event,
                                                                   std::uint32_t propertyId,
                                                                   std::uint32_t parameter,
                                                                   void* context);
using EOSObjectEventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t event, void* object,
                                                                 void* context);
using EOSStateEventHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t event,
                                                                std::uint32_t parameter,
                                                                void* context);
using EOSProgressHandlerFn = std::uint32_t(VOSTREL_CALLBACK*)(std::uint32_t percent, void* context,
                                                              std::int32_t* cancel);

} // namespace vostrel
