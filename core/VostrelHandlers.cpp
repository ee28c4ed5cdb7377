// The controller's SDK handlers: each finds its controller by the context the
// SDK hands back, translates the SDK's report into public values and fires a
// component event on the SDK's thread. A context whose controller is gone
// does nothing. No exception leaves a handler: the SDKs are C code.
//
// A host may release its controller from inside any event, on the SDK's
// thread; the registry then does not wait for the visit it is called from.
// So firing a host event is always the last use of the controller that a
// handler makes: nothing reads or writes the controller after it.

#include "core/Vostrel.h"

#include "core/InstanceRegistry.h"
#include "core/LittleEndian.h"
#include "eos/EDSDKApi.h"
#include "platform/Clock.h"
#include "powershot_cd/CDEVENT.h"

#include <cstring>
#include <sstream>

namespace vostrel {

namespace {

// Progress handlers pause after each report so that the receiver gets time
// between reports.
constexpr platform::Milliseconds ProgressPause{10};

// The controller is held until the handler returns: it cannot go away
// underneath it.
TControllerVisit ControllerOf(SDKContext context) {
  return TControllerVisit(static_cast<std::int32_t>(context));
}

// The EOS SDK hands back the address of the controller's key cell.
TControllerVisit ControllerOf(const void* context) {
  std::int32_t index = -1;
  if (context != nullptr) {
    std::memcpy(&index, context, sizeof index);
  }
  return TControllerVisit(index);
}

// Runs one step of a handler; whatever it raises ends the step, not the SDK.
template <typename Step>
void Shielded(Step&& step) noexcept {
  try {
    step();
  } catch (...) {
  }
}

// CD event words carry the severity in bits 16 to 19.
EventSeverityType CDSeverity(std::uint32_t eventWord) {
  switch ((eventWord >> cdEventSeverityShift) & cdEventSeverityMask) {
  case cdEventSeverityInfo:
    return EventSeverityType::EventSeverityInfo;
  case cdEventSeverityWarning:
    return EventSeverityType::EventSeverityWarning;
  case cdEventSeverityShutdown:
    return EventSeverityType::EventSeverityClosing;
  default:
    return EventSeverityType::EventSeverityNotUsed;
  }
}

EventEnumType CDBatteryLevel(const std::uint32_t* eventData) {
  if (eventData == nullptr) {
    return EventEnumType::EventNotUsed;
  }
  switch (*eventData & 0xF) {
  case 6:
    return EventEnumType::EventBatteryLevelNormal;
  case 4:
    return EventEnumType::EventBatteryLevelWeak;
  case 3:
    return EventEnumType::EventBatteryLevelSafetyLow;
  case 2:
    return EventEnumType::EventBatteryLevelLB;
  default:
    return EventEnumType::EventNotUsed;
  }
}

EventEnumType CDEvent(std::uint32_t code) {
  switch (code) {
  case cdEventDialChanged:
    return EventEnumType::EventDialChanged;
  case cdEventCFGateOpened:
    return EventEnumType::EventCFGateOpened;
  case cdEventBatteryCoverOpened:
    return EventEnumType::EventBatteryCoverOpened;
  case cdEventUnrecoverableError:
    return EventEnumType::EventUnrecoverableError;
  case cdEventUnknownCommand:
    return EventEnumType::EventUnkonwnCommandReceived;
  case cdEventReleaseParamChanged:
    return EventEnumType::EventRemoteParameterChanged;
  case cdEventConnectionDisappeared:
    return EventEnumType::EventConnectionDisappeared;
  default:
    return EventEnumType::EventNotUsed;
  }
}

constexpr std::uint32_t ReleaseCodeComplete = 29;

RemoteEventCallbackType ReleaseEvent(std::uint32_t code) {
  switch (code) {
  case 10:
    return RemoteEventCallbackType::RemoteEventCallbackResetHWError;
  case 27:
    return RemoteEventCallbackType::RemoteEventCallbackChangedByUI;
  case 28:
    return RemoteEventCallbackType::RemoteEventCallbackReleaseStart;
  case ReleaseCodeComplete:
    return RemoteEventCallbackType::RemoteEventCallbackReleaseComplete;
  case 30:
    return RemoteEventCallbackType::RemoteEventCallbackCamReleaseOn;
  case 32:
    return RemoteEventCallbackType::RemoteEventCallbackViewfinderOff;
  case 33:
    return RemoteEventCallbackType::RemoteEventCallbackViewfinderOn;
  default:
    return RemoteEventCallbackType::RemoteEventCallbackNotUsed;
  }
}

// PR event codes.
constexpr std::uint16_t PRDevicePropChanged = 0x4006;
constexpr std::uint16_t PRCardDoorOpened = 0xC001;
constexpr std::uint16_t PRResetHWError = 0xC005;
constexpr std::uint16_t PRViewfinderOff = 0xC006;
constexpr std::uint16_t PRViewfinderOn = 0xC007;
constexpr std::uint16_t PRReleaseComplete = 0xC008;
constexpr std::uint16_t PRReleaseDataQueued = 0xC009;
constexpr std::uint16_t PRBatteryLevel = 0xC00A;
constexpr std::uint16_t PRCamReleaseOn = 0xC00B;
constexpr std::uint16_t PRChangedByUI1 = 0xC00C;
constexpr std::uint16_t PRChangedByUI2 = 0xC00E;
constexpr std::uint16_t PRConnectionLost = 0xD001;

// EOS event codes.
constexpr std::uint32_t EOSPropertyChanged = 0x0101;
constexpr std::uint32_t EOSPropertyDescChanged = 0x0102;
constexpr std::uint32_t EOSTransferRequest = 0x0208;
constexpr std::uint32_t EOSShutdown = 0x0301;
constexpr std::uint32_t EOSWillSoonShutDown = 0x0303;
constexpr std::uint32_t EOSCaptureError = 0x0305;
constexpr std::uint32_t EOSInternalError = 0x0306;

// What the EOS backend is transferring when it reports progress.
constexpr std::uint8_t EOSRemotePictureTransfer = 1;
constexpr std::uint8_t EOSCardPictureTransfer = 2;

struct CameraEvent {
  EventSeverityType Severity;
  EventEnumType Event;
};

bool PRCameraEvent(std::uint16_t code, std::uint32_t parameter, CameraEvent& out) {
  using S = EventSeverityType;
  using E = EventEnumType;
  switch (code) {
  case PRCardDoorOpened:
    out = {S::EventSeverityClosing, E::EventCFGateOpened};
    return true;
  case PRConnectionLost:
    out = {S::EventSeverityClosing, E::EventConnectionDisappeared};
    return true;
  case PRBatteryLevel:
    switch (parameter) {
    case 1:
      out = {S::EventSeverityInfo, E::EventBatteryLevelNormal};
      break;
    case 2:
      out = {S::EventSeverityWarning, E::EventBatteryLevelWeak};
      break;
    case 3:
      out = {S::EventSeverityWarning, E::EventBatteryLevelSafetyLow};
      break;
    case 4:
      out = {S::EventSeverityClosing, E::EventBatteryLevelLB};
      break;
    default:
      out = {S::EventSeverityNotUsed, E::EventNotUsed};
      break;
    }
    return true;
  default:
    return false;
  }
}

bool PRRemoteEvent(std::uint16_t code, RemoteEventCallbackType& out) {
  using R = RemoteEventCallbackType;
  switch (code) {
  case PRDevicePropChanged:
  case PRChangedByUI1:
  case PRChangedByUI2:
    out = R::RemoteEventCallbackChangedByUI;
    return true;
  case PRResetHWError:
    out = R::RemoteEventCallbackResetHWError;
    return true;
  case PRViewfinderOff:
    out = R::RemoteEventCallbackViewfinderOff;
    return true;
  case PRViewfinderOn:
    out = R::RemoteEventCallbackViewfinderOn;
    return true;
  case PRCamReleaseOn:
    out = R::RemoteEventCallbackCamReleaseOn;
    return true;
  default:
    return false;
  }
}

void FireProgress(const std::function<void(std::int32_t)>& event, std::uint32_t percent) {
  if (event) {
    Shielded([&] { event(static_cast<std::int32_t>(percent)); });
  }
  platform::sleepFor(ProgressPause);
}

} // namespace

// ---------------------------------------------------------------------------
// Firing the component events.

void TVostrel::FireEvent(EventSeverityType severity, EventEnumType event) {
  if (OnEvent) {
    OnEvent(EventCallbackType{severity, event});
  }
}

void TVostrel::FireRemoteEvent(RemoteEventCallbackType event,
                               const AdditionNotifyRemoteEventType& data) {
  if (OnRemoteEvent) {
    OnRemoteEvent(event, data);
  }
}

void TVostrel::FireViewfinderEvent(const std::uint8_t* frame, std::uint32_t length) {
  if (!OnViewfinderEvent) {
    return;
  }
  std::istringstream stream(
      frame != nullptr ? std::string(reinterpret_cast<const char*>(frame), length) : std::string(),
      std::ios::in | std::ios::binary);
  OnViewfinderEvent(stream);
}

void TVostrel::ReportProbeProgress(std::int32_t instanceIndex, std::int32_t percent) {
  const TControllerVisit controller(instanceIndex);
  if (controller && controller->OnRemoteProbeParamEvent) {
    controller->OnRemoteProbeParamEvent(percent);
  }
}

// ---------------------------------------------------------------------------
// CD and release handlers.

std::uint32_t VOSTREL_CALLBACK TVostrel::CDCameraEventHandler(std::uint32_t eventWord,
                                                              const std::uint32_t* eventData,
                                                              std::uint32_t /*unused*/,
                                                              SDKContext context) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (!controller || !controller->OnEvent) {
      return;
    }
    const std::uint32_t code = eventWord & cdEventMask;
    if (code == cdEventShutdownTimerUpdate) {
      controller->KeepCameraAwake();
      return;
    }
    const EventEnumType event =
        code == cdEventBatteryLevelChanged ? CDBatteryLevel(eventData) : CDEvent(code);
    controller->FireEvent(CDSeverity(eventWord), event);
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::ReleaseEventHandler(std::uint32_t releaseCode,
                                                             const std::uint32_t* count,
                                                             std::uint32_t /*unused*/,
                                                             SDKContext context) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (!controller || !controller->OnRemoteEvent) {
      return;
    }
    AdditionNotifyRemoteEventType data{};
    if (releaseCode == ReleaseCodeComplete) {
      data.EventValid = NotifyRemoteEventValidType::NotifyRemoteEventValid1;
      if (controller->GetReleaseMode() != ReleaseModeType::ReleaseModeOnlyToCamera &&
          count != nullptr) {
        data.NumOfEvents = static_cast<std::int32_t>(*count);
        // Each shot then yields a thumbnail and a picture.
        if (controller->GetReleaseDataKind() ==
            ReleaseDataKindType::ReleaseDataKingTakeBothThumbAndPic) {
          data.NumOfEvents /= 2;
        }
      }
    }
    controller->FireRemoteEvent(ReleaseEvent(releaseCode), data);
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::CDViewfinderHandler(const std::uint8_t* frame,
                                                             std::uint32_t length,
                                                             std::uint32_t /*unused*/,
                                                             SDKContext context) {
  Shielded([&] {
    if (const TControllerVisit controller = ControllerOf(context); controller) {
      controller->FireViewfinderEvent(frame, length);
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::PRViewfinderHandler(std::uint32_t /*unused*/,
                                                             SDKContext context,
                                                             std::uint32_t length,
                                                             const std::uint8_t* frame) {
  return CDViewfinderHandler(frame, length, 0, context);
}

std::uint32_t VOSTREL_CALLBACK TVostrel::RemoteGetPictureProgressHandler(std::uint32_t percent,
                                                                         std::uint32_t /*unused*/,
                                                                         SDKContext context) {
  Shielded([&] {
    if (const TControllerVisit controller = ControllerOf(context); controller) {
      FireProgress(controller->OnRemoteGetPictureEvent, percent);
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::TakePictureProgressHandler(std::uint32_t percent,
                                                                    std::uint32_t /*unused*/,
                                                                    SDKContext context) {
  Shielded([&] {
    if (const TControllerVisit controller = ControllerOf(context); controller) {
      FireProgress(controller->OnRemoteTakePictureEvent, percent);
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::GetPictureProgressHandler(std::uint32_t percent,
                                                                   std::uint32_t /*unused*/,
                                                                   SDKContext context) {
  Shielded([&] {
    if (const TControllerVisit controller = ControllerOf(context); controller) {
      FireProgress(controller->OnGetPictureEvent, percent);
    }
  });
  return 0;
}

// ---------------------------------------------------------------------------
// PR handlers.

void TVostrel::QueueReleasedItem(const void* eventRecord) {
  PREventRecord copy{};
  std::memcpy(copy.data(), eventRecord, copy.size());
  std::lock_guard lock(PendingReleaseItemsLock);
  PendingReleaseItems.push_back(copy);
}

std::uint32_t VOSTREL_CALLBACK TVostrel::PREventHandler(std::uint32_t /*unused*/,
                                                        SDKContext context,
                                                        const void* eventRecord) {
  const TControllerVisit controller = ControllerOf(context);
  if (!controller || eventRecord == nullptr) {
    return 0;
  }
  const auto* record = static_cast<const std::uint8_t*>(eventRecord);
  const std::uint16_t code = ReadUInt16LE(record + PREventCodeOffset);

  // A record is either a camera event or a remote event, never both. Firing
  // the event is the last thing the handler does with the controller: a host
  // may release it from inside the event, on this thread.
  const auto parameter = static_cast<std::uint32_t>(ReadInt32LE(record + PREventParameterOffset));
  if (CameraEvent event{}; PRCameraEvent(code, parameter, event)) {
    if (controller->OnEvent) {
      Shielded([&] { controller->FireEvent(event.Severity, event.Event); });
    }
    return 0;
  }
  Shielded([&] {
    if (!controller->OnRemoteEvent) {
      return;
    }
    RemoteEventCallbackType event{};
    if (code == PRReleaseComplete) {
      controller->QueueReleasedItem(eventRecord);
      AdditionNotifyRemoteEventType data{};
      data.EventValid = NotifyRemoteEventValidType::NotifyRemoteEventValid1;
      data.NumOfEvents = 1;
      controller->FireRemoteEvent(RemoteEventCallbackType::RemoteEventCallbackReleaseComplete,
                                  data);
    } else if (code == PRReleaseDataQueued) {
      controller->QueueReleasedItem(eventRecord);
    } else if (PRRemoteEvent(code, event)) {
      controller->FireRemoteEvent(event);
    }
  });
  return 0;
}

void TVostrel::WritePictureData(const std::uint8_t* data, std::int32_t length) {
  std::lock_guard lock(PictureFileLock);
  if (length > 0) {
    if (PictureFileStream && data != nullptr) {
      PictureFileStream->write(reinterpret_cast<const char*>(data), length);
      PictureFileWritten = true;
      PictureFileFailed = PictureFileFailed || PictureFileStream->fail();
    }
    return;
  }
  // A zero-length block after written data ends the transfer; before any
  // data it changes nothing, the file stays open for what follows.
  if (length == 0 && PictureFileWritten && PictureFileStream) {
    PictureFileStream->close();
    PictureFileFailed = PictureFileFailed || PictureFileStream->fail();
    PictureFileStream.reset();
    PictureFileWritten = false;
  }
}

std::uint32_t VOSTREL_CALLBACK TVostrel::PRPictureDataHandler(std::uint32_t /*unused1*/,
                                                              std::uint32_t /*unused2*/,
                                                              SDKContext context,
                                                              const void* progressRecord) {
  const TControllerVisit controller = ControllerOf(context);
  if (!controller || progressRecord == nullptr) {
    return 0;
  }
  PRProgressRecord progress{};
  std::memcpy(&progress, progressRecord, sizeof progress);
  // The block is written before its progress is reported: the receiver finds
  // it in the file, its failure does not cost the data, and a host that
  // releases the controller from the event leaves nothing more to do here.
  Shielded([&] { controller->WritePictureData(progress.Data, progress.Length); });
  Shielded([&] { FireProgress(controller->OnRemoteGetPictureEvent, progress.Percentage); });
  return 0;
}

// ---------------------------------------------------------------------------
// EOS handlers.

std::uint32_t VOSTREL_CALLBACK TVostrel::EOSPropertyEventHandler(std::uint32_t event,
                                                                 std::uint32_t /*propertyId*/,
                                                                 std::uint32_t /*parameter*/,
                                                                 void* context) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (!controller) {
      return;
    }
    if (event == EOSPropertyChanged) {
      controller->FireEvent(EventSeverityType::EventSeverityInfo,
                            EventEnumType::EventRemoteParameterChanged);
    } else if (event == EOSPropertyDescChanged) {
      controller->FireEvent(EventSeverityType::EventSeverityInfo,
                            EventEnumType::EventRemoteNewSupportedParameters);
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::EOSStateEventHandler(std::uint32_t event,
                                                              std::uint32_t /*parameter*/,
                                                              void* context) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (!controller || !controller->OnEvent) {
      return;
    }
    switch (event) {
    case EOSShutdown:
      controller->FireEvent(EventSeverityType::EventSeverityClosing,
                            EventEnumType::EventRemoteShutdownReasonNotKnown);
      break;
    case EOSWillSoonShutDown:
      controller->KeepCameraAwake();
      break;
    case EOSCaptureError:
      controller->FireEvent(EventSeverityType::EventSeverityClosing,
                            EventEnumType::EventRemoteCaptureError);
      break;
    case EOSInternalError:
      controller->FireEvent(EventSeverityType::EventSeverityClosing,
                            EventEnumType::EventUnrecoverableError);
      break;
    default:
      break;
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::EOSObjectEventHandler(std::uint32_t event, void* object,
                                                               void* context) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (controller && controller->OnRemoteEvent && event == EOSTransferRequest) {
      // The backend keeps the reference until the picture is fetched.
      controller->EOS->QueueReleasedItem(object);
      AdditionNotifyRemoteEventType data{};
      data.EventValid = NotifyRemoteEventValidType::NotifyRemoteEventValid2;
      data.TypeOfPicture = TypeOfPictureType::TypeOfPicturePicture;
      controller->FireRemoteEvent(RemoteEventCallbackType::RemoteEventCallbackReleaseImageReady,
                                  data);
    } else if (object != nullptr) {
      // Nobody keeps the object, also when the controller is gone: its
      // reference goes back to the SDK.
      TEDSDK::ReleaseEventObject(object);
    }
  });
  return 0;
}

std::uint32_t VOSTREL_CALLBACK TVostrel::EOSProgressHandler(std::uint32_t percent, void* context,
                                                            std::int32_t* /*cancel*/) {
  Shielded([&] {
    const TControllerVisit controller = ControllerOf(context);
    if (!controller) {
      return;
    }
    switch (controller->EOS->CurrentProgressMode()) {
    case EOSRemotePictureTransfer:
      FireProgress(controller->OnRemoteTakePictureEvent, percent);
      break;
    case EOSCardPictureTransfer:
      FireProgress(controller->OnGetPictureEvent, percent);
      break;
    default:
      platform::sleepFor(ProgressPause);
      break;
    }
  });
  return 0;
}

} // namespace vostrel
