// The automation interface as hosts reach it: every member by name with its
// DISPID, failures as error results with the controller's message through
// the vtable and through IDispatch, the cached values, and a whole EOS
// session driven late-bound against the simulated camera.

#include "ComServerFixture.h"

#include <utility>

namespace vostrel::test {
namespace {

using Dispatch = ComServer;

TEST_F(Dispatch, EveryMemberResolvesByNameToItsDispid) {
  const std::pair<const wchar_t*, DISPID> members[] = {
      {L"Paint", 201},
      {L"OpenCameraEnumeration", 202},
      {L"OpenCameraEnumeration_GetPowerShotNr", 203},
      {L"OpenCameraEnumeration_GetEOSNr", 204},
      {L"OpenCameraEnumeration_GetModel", 205},
      {L"Connect", 206},
      {L"Disconnect", 207},
      {L"CloseCameraEnumeration", 208},
      {L"SetTimeInCamera", 209},
      {L"SetOwnerName", 210},
      {L"GetBodyID", 211},
      {L"FormatCameraCard", 212},
      {L"RemoteSupported", 213},
      {L"RemoteStart", 214},
      {L"RemoteStart_GetRemoteParamSupported", 215},
      {L"RemoteEnd", 216},
      {L"RemoteGetNumberOfAvailableShots", 217},
      {L"RemoteTakePicture", 218},
      {L"RemoteGetPicture", 219},
      {L"RemoteGetRemoteParams", 220},
      {L"RemoteGetRemoteParams_PictureStyle", 221},
      {L"RemoteGetRemoteParams_WhitebalanceShift", 222},
      {L"RemoteSetRemoteParams", 223},
      {L"RemoteSetRemoteParams_ImageQuality", 224},
      {L"RemoteSetRemoteParams_PictureStyle", 225},
      {L"RemoteSetRemoteParams_WhitebalanceShift", 226},
      {L"RemoteLoadCameraRemoteParams", 227},
      {L"RemoteSaveCameraRemoteParams", 228},
      {L"RemoteGetZoomPos_CurrentZoomPos", 229},
      {L"RemoteGetZoomPos_MaxOpticalZoomPos", 230},
      {L"RemoteGetZoomPos_MaxZoomPos", 231},
      {L"RemoteSetZoomPos", 232},
      {L"RemoteAFLock", 233},
      {L"RemoteStartViewfinder", 234},
      {L"RemoteStopViewfinder", 235},
      {L"RemoteSetViewfinderOutput", 236},
      {L"RemoteActivateViewfinderAuto", 237},
      {L"OpenCameraCollection", 238},
      {L"OpenCameraCollection_GetNrOfPictures", 239},
      {L"OpenCameraCollection_NameOfImage", 240},
      {L"OpenCameraCollection_GetThumbnail", 241},
      {L"CloseCameraCollection", 242},
      {L"GetPicture", 243},
      {L"DeletePicture", 244},
      {L"OpenRAWObject", 245},
      {L"OpenRAWObject_GetRemoteParamSupported", 246},
      {L"SetRAWDevelopmentParameters", 247},
      {L"GetRAWDevelopmentParameters", 248},
      {L"DevelopRAWPicture", 249},
      {L"CloseRAWObject", 250},
      {L"Connect_CameraModel", 251},
      {L"Connect_CameraModelName", 252},
      {L"Connect_OwnerName", 253},
      {L"Connect_Battery_BatterySource", 254},
      {L"Connect_Battery_BatteryStatus", 255},
      {L"RemoteStart_DoSupportZoom", 256},
      {L"RemoteStart_DoSupportShootingPara", 257},
      {L"RemoteStart_DoSupportViewfinder", 258},
      {L"RemoteStart_ReqViewfinderOffWhenShooting", 259},
      {L"RemoteStart_DoSupportAfLockUnlock", 260},
      {L"DoubleBuffered", 263},
      {L"AlignDisabled", 264},
      {L"VisibleDockClientCount", 265},
      {L"DrawTextBiDiModeFlagsReadingOnly", 266},
      {L"Enabled", -514},
      {L"InitiateAction", 267},
      {L"IsRightToLeft", 268},
      {L"UseRightToLeftReading", 269},
      {L"UseRightToLeftScrollBar", 270},
      {L"Visible", 271},
      {L"SetSubComponent", 272},
      {L"AboutBox", -552},
  };
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  for (const auto& [name, expected] : members) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = 0;
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK)
        << static_cast<const void*>(name);
    EXPECT_EQ(id, expected) << "DISPID of member " << std::string(name, name + wcslen(name));
  }
  // Parameter names resolve as well, in declaration order.
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"Connect"), const_cast<LPOLESTR>(L"CameraType"),
                      const_cast<LPOLESTR>(L"CameraNumber")};
  DISPID ids[3] = {};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 3, LOCALE_USER_DEFAULT, ids), S_OK);
  EXPECT_EQ(ids[0], 206);
  EXPECT_EQ(ids[1], 0);
  EXPECT_EQ(ids[2], 1);
}

TEST_F(Dispatch, ObjectDescribesItsClassAndEventsAndSupportsErrorInfo) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  com::ComPtr<IProvideClassInfo2> classInfo;
  ASSERT_EQ(object->QueryInterface(IID_IProvideClassInfo2, &classInfo), S_OK);
  GUID events{};
  EXPECT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events), S_OK);
  EXPECT_EQ(events, DIID_IVostrelActiveXXEvents);
  com::ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(classInfo->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, CLSID_VostrelActiveXX);
  EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
  coclass->ReleaseTypeAttr(attributes);

  com::ComPtr<ISupportErrorInfo> errorInfo;
  ASSERT_EQ(object->QueryInterface(IID_ISupportErrorInfo, &errorInfo), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IVostrelActiveXX), S_OK);
  EXPECT_EQ(errorInfo->InterfaceSupportsErrorInfo(IID_IClassFactory), S_FALSE);
}

TEST_F(Dispatch, FailureThroughTheVtableCarriesTheControllersMessage) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->Disconnect(), E_UNEXPECTED);
  com::ComPtr<IErrorInfo> error;
  ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
  ASSERT_NE(error.Get(), nullptr);
  com::TBstr description;
  com::TBstr source;
  GUID guid{};
  error->GetDescription(description.Out());
  error->GetSource(source.Out());
  error->GetGUID(&guid);
  EXPECT_EQ(Text(description.Get()), L"No camera is connected");
  EXPECT_EQ(Text(source.Get()), L"VostrelActiveXXControl1.VostrelActiveXX");
  EXPECT_EQ(guid, IID_IVostrelActiveXX);

  // The control's own refusal of an impossible date arrives the same way.
  EXPECT_EQ(object->SetTimeInCamera(2024, 13, 40, 0, 0, 0, 0), E_UNEXPECTED);
  ASSERT_EQ(GetErrorInfo(0, &error), S_OK);
  error->GetDescription(description.Out());
  EXPECT_NE(Text(description.Get()), L"");
  EXPECT_NE(Text(description.Get()), L"No camera is connected");

  // A null result pointer is the caller's fault, reported as such.
  EXPECT_EQ(object->GetBodyID(nullptr), E_POINTER);
}

TEST_F(Dispatch, FailureThroughInvokeIsAnExceptionWithTheMessage) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  const DispatchOutcome outcome = Call(object, L"Disconnect");
  EXPECT_EQ(outcome.result, DISP_E_EXCEPTION);
  EXPECT_EQ(static_cast<std::uint32_t>(outcome.scode), 0x8000FFFFu);
  EXPECT_EQ(outcome.description, L"No camera is connected");
  EXPECT_EQ(outcome.source, L"VostrelActiveXXControl1.VostrelActiveXX");

  const DispatchOutcome remote = Call(object, L"RemoteTakePicture");
  EXPECT_EQ(remote.result, DISP_E_EXCEPTION);
  EXPECT_FALSE(remote.description.empty());
}

TEST_F(Dispatch, StringResultsAreReplacedNotKept) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  // Whatever the caller left in the out parameter is never read or freed.
  BSTR value = reinterpret_cast<BSTR>(static_cast<std::uintptr_t>(0x1234));
  EXPECT_EQ(object->OpenCameraEnumeration_GetModel(CamModEOS, 5, &value), S_OK);
  const com::TBstr model(value);
  EXPECT_EQ(Text(model.Get()), L"");

  value = reinterpret_cast<BSTR>(static_cast<std::uintptr_t>(0x1234));
  EXPECT_EQ(object->RemoteStart_GetRemoteParamSupported(RemoteParamTv, &value), S_OK);
  const com::TBstr supported(value);
  EXPECT_EQ(Text(supported.Get()), std::wstring(60, L'0'));
}

TEST_F(Dispatch, CachedValuesAnswerBeforeAnyConnection) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  com::TBstr name;
  EXPECT_EQ(object->get_Connect_CameraModelName(name.Out()), S_OK);
  EXPECT_EQ(Text(name.Get()), L"");

  const DispatchOutcome model = Call(object, L"Connect_CameraModel");
  EXPECT_EQ(model.result, S_OK);
  EXPECT_EQ(model.value.vt, VT_I4);
  EXPECT_EQ(model.value.lVal, CamModNone);
  const DispatchOutcome zoom = Call(object, L"RemoteStart_DoSupportZoom");
  EXPECT_EQ(zoom.result, S_OK);
  EXPECT_EQ(zoom.value.vt, VT_BOOL);
  EXPECT_EQ(zoom.value.boolVal, VARIANT_FALSE);
  EXPECT_EQ(Call(object, L"Visible").value.boolVal, VARIANT_FALSE);
  EXPECT_EQ(Call(object, L"Enabled").value.boolVal, VARIANT_TRUE);
}

TEST_F(Dispatch, BooleansInAreAnyNonZeroAndOutAreMinusOne) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->put_DoubleBuffered(static_cast<VARIANT_BOOL>(5)), S_OK);
  VARIANT_BOOL value = VARIANT_FALSE;
  EXPECT_EQ(object->get_DoubleBuffered(&value), S_OK);
  EXPECT_EQ(value, VARIANT_TRUE);

  Variant off = Variant::Bool(false);
  EXPECT_EQ(Call(object, L"DoubleBuffered", {off}, DISPATCH_PROPERTYPUT).result, S_OK);
  EXPECT_EQ(Call(object, L"DoubleBuffered").value.boolVal, VARIANT_FALSE);
}

TEST_F(Dispatch, WholeEOSSessionLateBound) {
  IVostrelActiveXX* object = CreateObject();
  ASSERT_NE(object, nullptr);
  ASSERT_EQ(Call(object, L"OpenCameraEnumeration").result, S_OK);
  const DispatchOutcome count = Call(object, L"OpenCameraEnumeration_GetEOSNr");
  EXPECT_EQ(count.value.vt, VT_I4);
  EXPECT_EQ(count.value.lVal, 1);
  const DispatchOutcome model =
      Call(object, L"OpenCameraEnumeration_GetModel", {Variant(CamModEOS), Variant(0)});
  ASSERT_EQ(model.value.vt, VT_BSTR);
  EXPECT_EQ(Text(model.value.bstrVal), L"EOS Test");

  // Arguments as a script host passes them: references to variants.
  Variant family(CamModEOS);
  Variant number(0);
  Variant byReference[2];
  byReference[0].vt = VT_BYREF | VT_VARIANT;
  byReference[0].pvarVal = &family;
  byReference[1].vt = VT_BYREF | VT_VARIANT;
  byReference[1].pvarVal = &number;
  const DispatchOutcome connected = Call(object, L"Connect", {byReference[0], byReference[1]});
  byReference[0].vt = byReference[1].vt = VT_EMPTY;
  ASSERT_EQ(connected.result, S_OK) << std::hex << connected.result;

  EXPECT_EQ(Call(object, L"Connect_CameraModel").value.lVal, CamModEOS);
  EXPECT_EQ(Text(Call(object, L"Connect_CameraModelName").value.bstrVal), L"EOS Test");
  EXPECT_EQ(Text(Call(object, L"Connect_OwnerName").value.bstrVal), L"Test Owner");
  const DispatchOutcome body = Call(object, L"GetBodyID");
  EXPECT_EQ(body.value.vt, VT_UI4);
  EXPECT_EQ(body.value.ulVal, 4711u);
  EXPECT_EQ(Call(object, L"SetOwnerName", {Variant(L"New Owner")}).result, S_OK);
  Sim().waitIdle();
  const DispatchOutcome remote = Call(object, L"RemoteSupported");
  EXPECT_EQ(remote.value.vt, VT_BOOL);
  EXPECT_EQ(remote.value.boolVal, VARIANT_TRUE);
  EXPECT_EQ(Call(object, L"RemoteGetZoomPos_MaxZoomPos").result, DISP_E_EXCEPTION);

  EXPECT_EQ(Call(object, L"Disconnect").result, S_OK);
  EXPECT_EQ(Call(object, L"CloseCameraEnumeration").result, S_OK);
  // The cached values of the finished connection stay readable.
  EXPECT_EQ(Text(Call(object, L"Connect_CameraModelName").value.bstrVal), L"EOS Test");
}

} // namespace
} // namespace vostrel::test
