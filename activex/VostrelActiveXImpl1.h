#pragma once
// TVostrelActiveXX: the automation object that publishes the camera control
// to COM hosts as the dual interface IVostrelActiveXX and fires the
// control's events at the hosts' IVostrelActiveXXEvents sinks.
//
// Every member converts its arguments (automation strings to the control's
// strings, any non-zero VARIANT_BOOL to true), calls the control and
// converts the result back (booleans as VARIANT_TRUE or VARIANT_FALSE,
// strings as new BSTRs). No error crosses the interface as an exception: a
// failure below becomes E_UNEXPECTED (or the OLE code an error carries) with
// the thread's error information set to the error's message, and a string
// result is null after a failed call.
//
// Dispatch goes through the embedded type library's ITypeInfo, loaded from
// the library's own file, so late-bound hosts work with or without
// registration.
//
// Threads: the object belongs to the apartment thread that created it. An
// event raised on that thread is fired at the sinks synchronously; an event
// raised on a camera SDK's thread is posted to the object's thread (see
// TEventPoster) and fired when that thread dispatches its messages, so no
// sink is ever called from outside its apartment.
//
// In a container the object is an ActiveX control (TOleControl): a hidden
// 32 by 32 window that shows the control's bitmap.

#include "activex/com/ComPtr.h"
#include "activex/com/EventConnectionPoint.h"
#include "activex/com/EventPoster.h"
#include "activex/com/OleControl.h"

#include "VostrelActiveXXControl1_TLB.h"

#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <memory>

namespace vostrel {

class TVostrelActiveX;

class TVostrelActiveXX final : public IVostrelActiveXX,
                               public IConnectionPointContainer,
                               public ISupportErrorInfo,
                               public IProvideClassInfo2,
                               public com::TOleControl {
public:
  // Creates an object and asks it for the interface; the class factory's
  // CreateInstance.
  static HRESULT Create(REFIID iid, void** object) noexcept;

  TVostrelActiveXX(const TVostrelActiveXX&) = delete;
  TVostrelActiveXX& operator=(const TVostrelActiveXX&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch, through the type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // IConnectionPointContainer
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  // IProvideClassInfo2
  HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** typeInfo) override;
  HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override;

  // IVostrelActiveXX, in interface order.
  HRESULT STDMETHODCALLTYPE Paint() override;
  HRESULT STDMETHODCALLTYPE OpenCameraEnumeration() override;
  HRESULT STDMETHODCALLTYPE OpenCameraEnumeration_GetPowerShotNr(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE OpenCameraEnumeration_GetEOSNr(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE OpenCameraEnumeration_GetModel(::TxCamModType CameraType, LONG Nr,
                                                           BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE Connect(::TxCamModType CameraType, LONG CameraNumber) override;
  HRESULT STDMETHODCALLTYPE Disconnect() override;
  HRESULT STDMETHODCALLTYPE CloseCameraEnumeration() override;
  HRESULT STDMETHODCALLTYPE SetTimeInCamera(LONG YearCam, LONG MonthCam, LONG DayCam, LONG HourCam,
                                            LONG MinutesCam, LONG SecondCam,
                                            LONG MillisecondCam) override;
  HRESULT STDMETHODCALLTYPE SetOwnerName(BSTR OwnerName) override;
  HRESULT STDMETHODCALLTYPE GetBodyID(ULONG* Value) override;
  HRESULT STDMETHODCALLTYPE FormatCameraCard() override;
  HRESULT STDMETHODCALLTYPE RemoteSupported(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteStart(::TxReleaseModeType ReleaseMode,
                                        ::TxReleaseDataKindType ReleaseDataKind,
                                        VARIANT_BOOL ProbeRemoteParameters,
                                        BSTR CacheRemoteParamDir) override;
  HRESULT STDMETHODCALLTYPE RemoteStart_GetRemoteParamSupported(::TxRemoteParamType RemoteParamKind,
                                                                BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteEnd() override;
  HRESULT STDMETHODCALLTYPE RemoteGetNumberOfAvailableShots(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteTakePicture() override;
  HRESULT STDMETHODCALLTYPE RemoteGetPicture(BSTR FileName,
                                             ::TxPictureTypeType PictureType) override;
  HRESULT STDMETHODCALLTYPE RemoteGetRemoteParams(::TxRemoteParamType RemoteParamKind,
                                                  LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteGetRemoteParams_PictureStyle(
      ::TxRemoteParamPictureStyleType RemoteParamPictureStyleKind, LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteGetRemoteParams_WhitebalanceShift(
      ::TxRemoteParamWhitebalanceShiftType RemoteParamWhitebalanceShiftKind, LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteSetRemoteParams(::TxRemoteParamType RemoteParamKind,
                                                  LONG Value) override;
  HRESULT STDMETHODCALLTYPE RemoteSetRemoteParams_ImageQuality(LONG ImageSize, LONG ImageQuality,
                                                               LONG ImageSizePic2RAW,
                                                               LONG ImageQualityPic2RAW) override;
  HRESULT STDMETHODCALLTYPE RemoteSetRemoteParams_PictureStyle(
      VARIANT_BOOL PictureStyleEnabled, short Contrast, short Sharpness, short Saturation,
      VARIANT_BOOL SaturationUsed, short ColorTone, VARIANT_BOOL ColorToneUsed,
      ::TxMonochromeFilterType MonochromeFilter, VARIANT_BOOL MonochromeFilterUsed,
      ::TxMonochromeToneType MonochromeTone, VARIANT_BOOL MonochromeToneUsed) override;
  HRESULT STDMETHODCALLTYPE RemoteSetRemoteParams_WhitebalanceShift(VARIANT_BOOL WBShiftEnabled,
                                                                    short AmberBlue,
                                                                    short GreenMagenta) override;
  HRESULT STDMETHODCALLTYPE RemoteLoadCameraRemoteParams(BSTR FileName) override;
  HRESULT STDMETHODCALLTYPE RemoteSaveCameraRemoteParams(BSTR FileName) override;
  HRESULT STDMETHODCALLTYPE RemoteGetZoomPos_CurrentZoomPos(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteGetZoomPos_MaxOpticalZoomPos(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteGetZoomPos_MaxZoomPos(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE RemoteSetZoomPos(LONG ZoomPos) override;
  HRESULT STDMETHODCALLTYPE RemoteAFLock(VARIANT_BOOL AFLock) override;
  HRESULT STDMETHODCALLTYPE RemoteStartViewfinder() override;
  HRESULT STDMETHODCALLTYPE RemoteStopViewfinder() override;
  HRESULT STDMETHODCALLTYPE
  RemoteSetViewfinderOutput(::TxRemoteViewFinderOutputType ViewfinderOutput) override;
  HRESULT STDMETHODCALLTYPE RemoteActivateViewfinderAuto() override;
  HRESULT STDMETHODCALLTYPE OpenCameraCollection(BSTR TempDir, VARIANT_BOOL GetThumbnails) override;
  HRESULT STDMETHODCALLTYPE OpenCameraCollection_GetNrOfPictures(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE OpenCameraCollection_NameOfImage(LONG PictureNumber,
                                                             BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE OpenCameraCollection_GetThumbnail(LONG PictureNumber,
                                                              BSTR FileName) override;
  HRESULT STDMETHODCALLTYPE CloseCameraCollection() override;
  HRESULT STDMETHODCALLTYPE GetPicture(LONG NrInList, VARIANT_BOOL GetJPEGInRaw,
                                       BSTR FileName) override;
  HRESULT STDMETHODCALLTYPE DeletePicture(LONG NrInList) override;
  HRESULT STDMETHODCALLTYPE OpenRAWObject(BSTR FileName) override;
  HRESULT STDMETHODCALLTYPE OpenRAWObject_GetRemoteParamSupported(::TxRAWParamType RAWParamKind,
                                                                  BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE SetRAWDevelopmentParameters(::TxRAWParamType RAWParamKind,
                                                        LONG Value) override;
  HRESULT STDMETHODCALLTYPE GetRAWDevelopmentParameters(::TxRAWParamType RAWParamKind,
                                                        LONG* Value) override;
  HRESULT STDMETHODCALLTYPE DevelopRAWPicture(BSTR OutFileName, ::TxFileFormatType FileFormat,
                                              ::TxBitsPerPixelType BitsPerPixel,
                                              BSTR ICCProfileFileName, LONG JPEGQuality) override;
  HRESULT STDMETHODCALLTYPE CloseRAWObject() override;
  HRESULT STDMETHODCALLTYPE get_Connect_CameraModel(::TxCamModType* Value) override;
  HRESULT STDMETHODCALLTYPE get_Connect_CameraModelName(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_Connect_OwnerName(BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE
  get_Connect_Battery_BatterySource(::TxBatterySourceType* Value) override;
  HRESULT STDMETHODCALLTYPE
  get_Connect_Battery_BatteryStatus(::TxBatteryStatusType* Value) override;
  HRESULT STDMETHODCALLTYPE get_RemoteStart_DoSupportZoom(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_RemoteStart_DoSupportShootingPara(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_RemoteStart_DoSupportViewfinder(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE
  get_RemoteStart_ReqViewfinderOffWhenShooting(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_RemoteStart_DoSupportAfLockUnlock(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_DoubleBuffered(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_DoubleBuffered(VARIANT_BOOL Value) override;
  HRESULT STDMETHODCALLTYPE get_AlignDisabled(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_VisibleDockClientCount(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE DrawTextBiDiModeFlagsReadingOnly(LONG* Value) override;
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Value) override;
  HRESULT STDMETHODCALLTYPE InitiateAction() override;
  HRESULT STDMETHODCALLTYPE IsRightToLeft(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE UseRightToLeftReading(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE UseRightToLeftScrollBar(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE get_Visible(VARIANT_BOOL* Value) override;
  HRESULT STDMETHODCALLTYPE put_Visible(VARIANT_BOOL Value) override;
  HRESULT STDMETHODCALLTYPE SetSubComponent(VARIANT_BOOL IsSubComponent) override;
  HRESULT STDMETHODCALLTYPE AboutBox() override;

private:
  TVostrelActiveXX();
  ~TVostrelActiveXX() override;

  // Assigns the control's eight events to the firing of their DISPIDs.
  void ConnectControlEvents();
  // Fires an event at the sinks on the object's thread (see above).
  void RaiseEvent(DISPID event, std::vector<com::EventArgument> arguments);

  std::atomic<ULONG> references_{1};
  com::ComPtr<ITypeLib> typeLib_;
  com::ComPtr<ITypeInfo> typeInfo_;
  com::TEventConnectionPoint events_;
  com::TEventPoster poster_;
  // The window state that the window members read and set.
  bool doubleBuffered_ = false;
  bool enabled_ = true;
  bool subComponent_ = false;
  // Declared last so that it goes first: no event is raised once the poster
  // and the sinks are gone.
  std::unique_ptr<TVostrelActiveX> control_;
};

} // namespace vostrel
