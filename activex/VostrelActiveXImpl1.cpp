#include "activex/VostrelActiveXImpl1.h"

#include "activex/About1.h"
#include "activex/VostrelActiveX.h"
#include "activex/com/BstrText.h"
#include "activex/com/ComEnumerator.h"
#include "activex/com/ComErrors.h"
#include "activex/com/ServerModule.h"

#include <new>
#include <utility>

namespace vostrel {

namespace {

using com::GuardedCall;

// The DISPIDs of IVostrelActiveXXEvents.
enum EventDispid : DISPID {
  DispidOnViewfinderEvent = 201,
  DispidOnEvent = 202,
  DispidOnRemoteEvent = 203,
  DispidOnRemoteTakePictureEvent = 204,
  DispidOnRemoteGetPictureEvent = 205,
  DispidOnGetPictureEvent = 206,
  DispidOnRemoteProbeParamEvent = 207,
  DispidOnRawDevelopEvent = 208
};

bool FromVariantBool(VARIANT_BOOL value) {
  return value != VARIANT_FALSE;
}
VARIANT_BOOL ToVariantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Enumerations reach the sinks as I4 of their low 7 bits.
std::int32_t EnumArgument(std::int32_t value) {
  return value & 0x7F;
}

void RequireResult(const void* value) {
  if (value == nullptr) {
    throw com::EOleError(E_POINTER, "The result parameter is missing");
  }
}

// Runs a guarded member that answers a number or boolean into *value, which
// is cleared first.
template <typename T, typename Work>
HRESULT NumberResult(T* value, Work&& work) noexcept {
  if (value != nullptr) {
    *value = T{};
  }
  return GuardedCall([&] {
    RequireResult(value);
    *value = static_cast<T>(work());
  });
}

template <typename Work>
HRESULT BoolResult(VARIANT_BOOL* value, Work&& work) noexcept {
  return NumberResult(value, [&] { return ToVariantBool(work()); });
}

// Runs a guarded member that answers a string; *value is null unless the
// call succeeds.
template <typename Work>
HRESULT StringResult(BSTR* value, Work&& work) noexcept {
  if (value != nullptr) {
    *value = nullptr;
  }
  return GuardedCall([&] {
    RequireResult(value);
    *value = com::BstrFromText(work()).Detach();
  });
}

} // namespace

// --- Creation and lifetime ---------------------------------------------------

HRESULT TVostrelActiveXX::Create(REFIID iid, void** object) noexcept {
  if (object == nullptr) {
    return E_POINTER;
  }
  *object = nullptr;
  TVostrelActiveXX* fresh = nullptr;
  try {
    fresh = new TVostrelActiveXX();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
  const com::ComPtr<TVostrelActiveXX> created = com::Adopt(fresh);
  if (!created->typeInfo_) {
    return TYPE_E_CANTLOADLIBRARY;
  }
  return created.CopyTo(iid, object);
}

TVostrelActiveXX::TVostrelActiveXX()
    : events_(*this, DIID_IVostrelActiveXXEvents), control_(std::make_unique<TVostrelActiveX>()) {
  com::ObjectCreated();
  if (SUCCEEDED(com::LoadOwnTypeLib(&typeLib_))) {
    typeLib_->GetTypeInfoOfGuid(IID_IVostrelActiveXX, &typeInfo_);
  }
  ConnectControlEvents();
}

TVostrelActiveXX::~TVostrelActiveXX() {
  control_.reset();
  events_.DisconnectAll();
  // Released before the object count drops, which may let the library go.
  typeInfo_.Reset();
  typeLib_.Reset();
  com::ObjectDestroyed();
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) {
    return E_POINTER;
  }
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IVostrelActiveXX) {
    *object = static_cast<IVostrelActiveXX*>(this);
  } else if (iid == IID_IConnectionPointContainer) {
    *object = static_cast<IConnectionPointContainer*>(this);
  } else if (iid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else if (iid == IID_IProvideClassInfo || iid == IID_IProvideClassInfo2) {
    *object = static_cast<IProvideClassInfo2*>(this);
  } else if (void* embedding = EmbeddingInterface(iid)) {
    *object = embedding;
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE TVostrelActiveXX::AddRef() {
  return ++references_;
}

ULONG STDMETHODCALLTYPE TVostrelActiveXX::Release() {
  const ULONG left = --references_;
  if (left == 0) {
    delete this;
  }
  return left;
}

// --- Events --------------------------------------------------------------------

void TVostrelActiveXX::RaiseEvent(DISPID event, std::vector<com::EventArgument> arguments) {
  // A viewfinder frame is soon replaced by the next: one that a host too
  // slow for it cannot take is dropped. Every other event waits for it.
  const auto delivery = event == DispidOnViewfinderEvent ? com::TEventPoster::Delivery::Droppable
                                                         : com::TEventPoster::Delivery::Kept;
  poster_.Deliver(
      [this, event, arguments = std::move(arguments)] {
        // A sink may drop the host's last reference while it handles the
        // event: the object holds one of its own until the firing is done.
        const com::ComPtr<TVostrelActiveXX> self(this);
        events_.Fire(event, arguments);
      },
      delivery);
}

void TVostrelActiveXX::ConnectControlEvents() {
  TVostrelActiveX& control = *control_;
  control.OnViewfinderEvent = [this](const std::string& fileName) {
    RaiseEvent(DispidOnViewfinderEvent, {com::WideFromText(fileName)});
  };
  control.OnEvent = [this](TxEventSeverityType severity, TxEventEnumType event) {
    RaiseEvent(DispidOnEvent, {EnumArgument(severity), EnumArgument(event)});
  };
  control.OnRemoteEvent = [this](TxRemoteEventCallbackType event,
                                 TxNotifyRemoteEventValidType eventValid, std::int32_t numOfEvents,
                                 TxypeOfPictureType typeOfPicture) {
    RaiseEvent(DispidOnRemoteEvent, {EnumArgument(event), EnumArgument(eventValid), numOfEvents,
                                     EnumArgument(typeOfPicture)});
  };
  auto progress = [this](DISPID event) {
    return [this, event](std::int32_t percentageDone) { RaiseEvent(event, {percentageDone}); };
  };
  control.OnRemoteTakePictureEvent = progress(DispidOnRemoteTakePictureEvent);
  control.OnRemoteGetPictureEvent = progress(DispidOnRemoteGetPictureEvent);
  control.OnGetPictureEvent = progress(DispidOnGetPictureEvent);
  control.OnRemoteProbeParamEvent = progress(DispidOnRemoteProbeParamEvent);
  control.OnRawDevelopEvent = progress(DispidOnRawDevelopEvent);
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (points == nullptr) {
    return E_POINTER;
  }
  *points = nullptr;
  try {
    *points = new com::TEnumConnectionPoints({static_cast<IConnectionPoint*>(&events_)});
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::FindConnectionPoint(REFIID iid,
                                                                IConnectionPoint** point) {
  if (point == nullptr) {
    return E_POINTER;
  }
  *point = nullptr;
  if (iid != DIID_IVostrelActiveXXEvents) {
    return CONNECT_E_NOCONNECTION;
  }
  return com::ComPtr<IConnectionPoint>(&events_).CopyTo(point);
}

// --- Type information and dispatch ---------------------------------------------

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == IID_IVostrelActiveXX ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetClassInfo(ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) {
    return E_POINTER;
  }
  return typeLib_->GetTypeInfoOfGuid(CLSID_VostrelActiveXX, typeInfo);
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetGUID(DWORD kind, GUID* guid) {
  if (guid == nullptr) {
    return E_POINTER;
  }
  if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
    *guid = GUID_NULL;
    return E_INVALIDARG;
  }
  *guid = DIID_IVostrelActiveXXEvents;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) {
    return E_POINTER;
  }
  *count = 1;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) {
  if (typeInfo == nullptr) {
    return E_POINTER;
  }
  *typeInfo = nullptr;
  if (index != 0) {
    return DISP_E_BADINDEX;
  }
  return typeInfo_.CopyTo(typeInfo);
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count,
                                                          LCID, DISPID* ids) {
  if (iid != IID_NULL) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  return typeInfo_->GetIDsOfNames(names, count, ids);
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::Invoke(DISPID member, REFIID iid, LCID, WORD flags,
                                                   DISPPARAMS* parameters, VARIANT* result,
                                                   EXCEPINFO* exception, UINT* argumentError) {
  if (iid != IID_NULL) {
    return DISP_E_UNKNOWNINTERFACE;
  }
  return typeInfo_->Invoke(static_cast<IVostrelActiveXX*>(this), member, flags, parameters, result,
                           exception, argumentError);
}

// --- IVostrelActiveXX ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::Paint() {
  Repaint();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraEnumeration() {
  return GuardedCall([&] { control_->OpenCameraEnumeration(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraEnumeration_GetPowerShotNr(LONG* Value) {
  return NumberResult(Value, [&] { return control_->OpenCameraEnumeration_GetPowerShotNr(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraEnumeration_GetEOSNr(LONG* Value) {
  return NumberResult(Value, [&] { return control_->OpenCameraEnumeration_GetEOSNr(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::OpenCameraEnumeration_GetModel(::TxCamModType CameraType, LONG Nr, BSTR* Value) {
  return StringResult(Value,
                      [&] { return control_->OpenCameraEnumeration_GetModel(CameraType, Nr); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::Connect(::TxCamModType CameraType, LONG CameraNumber) {
  return GuardedCall([&] { control_->Connect(CameraType, CameraNumber); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::Disconnect() {
  return GuardedCall([&] { control_->Disconnect(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::CloseCameraEnumeration() {
  return GuardedCall([&] { control_->CloseCameraEnumeration(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::SetTimeInCamera(LONG YearCam, LONG MonthCam,
                                                            LONG DayCam, LONG HourCam,
                                                            LONG MinutesCam, LONG SecondCam,
                                                            LONG MillisecondCam) {
  return GuardedCall([&] {
    control_->SetTimeInCamera(YearCam, MonthCam, DayCam, HourCam, MinutesCam, SecondCam,
                              MillisecondCam);
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::SetOwnerName(BSTR OwnerName) {
  return GuardedCall([&] { control_->SetOwnerName(com::TextFromBstr(OwnerName)); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetBodyID(ULONG* Value) {
  return NumberResult(Value, [&] { return control_->GetBodyID(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::FormatCameraCard() {
  return GuardedCall([&] { control_->FormatCameraCard(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSupported(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteSupported(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteStart(::TxReleaseModeType ReleaseMode,
                                                        ::TxReleaseDataKindType ReleaseDataKind,
                                                        VARIANT_BOOL ProbeRemoteParameters,
                                                        BSTR CacheRemoteParamDir) {
  return GuardedCall([&] {
    control_->RemoteStart(ReleaseMode, ReleaseDataKind, FromVariantBool(ProbeRemoteParameters),
                          com::TextFromBstr(CacheRemoteParamDir));
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteStart_GetRemoteParamSupported(
    ::TxRemoteParamType RemoteParamKind, BSTR* Value) {
  return StringResult(
      Value, [&] { return control_->RemoteStart_GetRemoteParamSupported(RemoteParamKind); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteEnd() {
  return GuardedCall([&] { control_->RemoteEnd(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetNumberOfAvailableShots(LONG* Value) {
  return NumberResult(Value, [&] { return control_->RemoteGetNumberOfAvailableShots(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteTakePicture() {
  return GuardedCall([&] { control_->RemoteTakePicture(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetPicture(BSTR FileName,
                                                             ::TxPictureTypeType PictureType) {
  return GuardedCall([&] { control_->RemoteGetPicture(com::TextFromBstr(FileName), PictureType); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::RemoteGetRemoteParams(::TxRemoteParamType RemoteParamKind, LONG* Value) {
  return NumberResult(Value, [&] { return control_->RemoteGetRemoteParams(RemoteParamKind); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetRemoteParams_PictureStyle(
    ::TxRemoteParamPictureStyleType RemoteParamPictureStyleKind, LONG* Value) {
  return NumberResult(Value, [&] {
    return control_->RemoteGetRemoteParams_PictureStyle(RemoteParamPictureStyleKind);
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetRemoteParams_WhitebalanceShift(
    ::TxRemoteParamWhitebalanceShiftType RemoteParamWhitebalanceShiftKind, LONG* Value) {
  return NumberResult(Value, [&] {
    return control_->RemoteGetRemoteParams_WhitebalanceShift(RemoteParamWhitebalanceShiftKind);
  });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::RemoteSetRemoteParams(::TxRemoteParamType RemoteParamKind, LONG Value) {
  return GuardedCall([&] { control_->RemoteSetRemoteParams(RemoteParamKind, Value); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSetRemoteParams_ImageQuality(
    LONG ImageSize, LONG ImageQuality, LONG ImageSizePic2RAW, LONG ImageQualityPic2RAW) {
  return GuardedCall([&] {
    control_->RemoteSetRemoteParams_ImageQuality(ImageSize, ImageQuality, ImageSizePic2RAW,
                                                 ImageQualityPic2RAW);
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSetRemoteParams_PictureStyle(
    VARIANT_BOOL PictureStyleEnabled, SHORT Contrast, SHORT Sharpness, SHORT Saturation,
    VARIANT_BOOL SaturationUsed, SHORT ColorTone, VARIANT_BOOL ColorToneUsed,
    ::TxMonochromeFilterType MonochromeFilter, VARIANT_BOOL MonochromeFilterUsed,
    ::TxMonochromeToneType MonochromeTone, VARIANT_BOOL MonochromeToneUsed) {
  return GuardedCall([&] {
    control_->RemoteSetRemoteParams_PictureStyle(
        FromVariantBool(PictureStyleEnabled), Contrast, Sharpness, Saturation,
        FromVariantBool(SaturationUsed), ColorTone, FromVariantBool(ColorToneUsed),
        MonochromeFilter, FromVariantBool(MonochromeFilterUsed), MonochromeTone,
        FromVariantBool(MonochromeToneUsed));
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSetRemoteParams_WhitebalanceShift(
    VARIANT_BOOL WBShiftEnabled, SHORT AmberBlue, SHORT GreenMagenta) {
  return GuardedCall([&] {
    control_->RemoteSetRemoteParams_WhitebalanceShift(FromVariantBool(WBShiftEnabled), AmberBlue,
                                                      GreenMagenta);
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteLoadCameraRemoteParams(BSTR FileName) {
  return GuardedCall([&] { control_->RemoteLoadCameraRemoteParams(com::TextFromBstr(FileName)); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSaveCameraRemoteParams(BSTR FileName) {
  return GuardedCall([&] { control_->RemoteSaveCameraRemoteParams(com::TextFromBstr(FileName)); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetZoomPos_CurrentZoomPos(LONG* Value) {
  return NumberResult(Value, [&] { return control_->RemoteGetZoomPos_CurrentZoomPos(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetZoomPos_MaxOpticalZoomPos(LONG* Value) {
  return NumberResult(Value, [&] { return control_->RemoteGetZoomPos_MaxOpticalZoomPos(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteGetZoomPos_MaxZoomPos(LONG* Value) {
  return NumberResult(Value, [&] { return control_->RemoteGetZoomPos_MaxZoomPos(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteSetZoomPos(LONG ZoomPos) {
  return GuardedCall([&] { control_->RemoteSetZoomPos(ZoomPos); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteAFLock(VARIANT_BOOL AFLock) {
  return GuardedCall([&] { control_->RemoteAFLock(FromVariantBool(AFLock)); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteStartViewfinder() {
  return GuardedCall([&] { control_->RemoteStartViewfinder(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteStopViewfinder() {
  return GuardedCall([&] { control_->RemoteStopViewfinder(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::RemoteSetViewfinderOutput(::TxRemoteViewFinderOutputType ViewfinderOutput) {
  return GuardedCall([&] { control_->RemoteSetViewfinderOutput(ViewfinderOutput); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::RemoteActivateViewfinderAuto() {
  return GuardedCall([&] { control_->RemoteActivateViewfinderAuto(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraCollection(BSTR TempDir,
                                                                 VARIANT_BOOL GetThumbnails) {
  return GuardedCall([&] {
    control_->OpenCameraCollection(com::TextFromBstr(TempDir), FromVariantBool(GetThumbnails));
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraCollection_GetNrOfPictures(LONG* Value) {
  return NumberResult(Value, [&] { return control_->OpenCameraCollection_GetNrOfPictures(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraCollection_NameOfImage(LONG PictureNumber,
                                                                             BSTR* Value) {
  return StringResult(Value,
                      [&] { return control_->OpenCameraCollection_NameOfImage(PictureNumber); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenCameraCollection_GetThumbnail(LONG PictureNumber,
                                                                              BSTR FileName) {
  return GuardedCall([&] {
    control_->OpenCameraCollection_GetThumbnail(PictureNumber, com::TextFromBstr(FileName));
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::CloseCameraCollection() {
  return GuardedCall([&] { control_->CloseCameraCollection(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::GetPicture(LONG NrInList, VARIANT_BOOL GetJPEGInRaw,
                                                       BSTR FileName) {
  return GuardedCall([&] {
    control_->GetPicture(NrInList, FromVariantBool(GetJPEGInRaw), com::TextFromBstr(FileName));
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::DeletePicture(LONG NrInList) {
  return GuardedCall([&] { control_->DeletePicture(NrInList); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenRAWObject(BSTR FileName) {
  return GuardedCall([&] { control_->OpenRAWObject(com::TextFromBstr(FileName)); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::OpenRAWObject_GetRemoteParamSupported(
    ::TxRAWParamType RAWParamKind, BSTR* Value) {
  return StringResult(
      Value, [&] { return control_->OpenRAWObject_GetRemoteParamSupported(RAWParamKind); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::SetRAWDevelopmentParameters(::TxRAWParamType RAWParamKind, LONG Value) {
  return GuardedCall([&] { control_->SetRAWDevelopmentParameters(RAWParamKind, Value); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::GetRAWDevelopmentParameters(::TxRAWParamType RAWParamKind, LONG* Value) {
  return NumberResult(Value, [&] { return control_->GetRAWDevelopmentParameters(RAWParamKind); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::DevelopRAWPicture(BSTR OutFileName,
                                                              ::TxFileFormatType FileFormat,
                                                              ::TxBitsPerPixelType BitsPerPixel,
                                                              BSTR ICCProfileFileName,
                                                              LONG JPEGQuality) {
  return GuardedCall([&] {
    control_->DevelopRAWPicture(com::TextFromBstr(OutFileName), FileFormat, BitsPerPixel,
                                com::TextFromBstr(ICCProfileFileName), JPEGQuality);
  });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::CloseRAWObject() {
  return GuardedCall([&] { control_->CloseRAWObject(); });
}

// Cached values of the last Connect and RemoteStart: they never fail.

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_Connect_CameraModel(::TxCamModType* Value) {
  return NumberResult(Value, [&] { return control_->Connect_CameraModel(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_Connect_CameraModelName(BSTR* Value) {
  return StringResult(Value, [&] { return control_->Connect_CameraModelName(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_Connect_OwnerName(BSTR* Value) {
  return StringResult(Value, [&] { return control_->Connect_OwnerName(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_Connect_Battery_BatterySource(::TxBatterySourceType* Value) {
  return NumberResult(Value, [&] { return control_->Connect_Battery_BatterySource(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_Connect_Battery_BatteryStatus(::TxBatteryStatusType* Value) {
  return NumberResult(Value, [&] { return control_->Connect_Battery_BatteryStatus(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_RemoteStart_DoSupportZoom(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteStart_DoSupportZoom(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_RemoteStart_DoSupportShootingPara(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteStart_DoSupportShootingPara(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_RemoteStart_DoSupportViewfinder(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteStart_DoSupportViewfinder(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_RemoteStart_ReqViewfinderOffWhenShooting(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteStart_ReqViewfinderOffWhenShooting(); });
}

HRESULT STDMETHODCALLTYPE
TVostrelActiveXX::get_RemoteStart_DoSupportAfLockUnlock(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return control_->RemoteStart_DoSupportAfLockUnlock(); });
}

// The control's window state. The control is an invisible 32 by 32 window
// with no docked clients and left-to-right reading.

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_DoubleBuffered(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return doubleBuffered_; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::put_DoubleBuffered(VARIANT_BOOL Value) {
  doubleBuffered_ = FromVariantBool(Value);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_AlignDisabled(VARIANT_BOOL* Value) {
  return BoolResult(Value, [] { return false; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_VisibleDockClientCount(LONG* Value) {
  return NumberResult(Value, [] { return 0; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::DrawTextBiDiModeFlagsReadingOnly(LONG* Value) {
  return NumberResult(Value, [] { return 0; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_Enabled(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return enabled_; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::put_Enabled(VARIANT_BOOL Value) {
  enabled_ = FromVariantBool(Value);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::InitiateAction() {
  // No action is pending on a control without actions.
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::IsRightToLeft(VARIANT_BOOL* Value) {
  return BoolResult(Value, [] { return false; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::UseRightToLeftReading(VARIANT_BOOL* Value) {
  return BoolResult(Value, [] { return false; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::UseRightToLeftScrollBar(VARIANT_BOOL* Value) {
  return BoolResult(Value, [] { return false; });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::get_Visible(VARIANT_BOOL* Value) {
  return BoolResult(Value, [&] { return ControlVisible(); });
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::put_Visible(VARIANT_BOOL Value) {
  SetControlVisible(FromVariantBool(Value));
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::SetSubComponent(VARIANT_BOOL IsSubComponent) {
  subComponent_ = FromVariantBool(IsSubComponent);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TVostrelActiveXX::AboutBox() {
  return GuardedCall([] { TVostrelActiveXXAbout::ShowModal(GetActiveWindow()); });
}

} // namespace vostrel
