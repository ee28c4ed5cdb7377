// The simulated EDSDK.DLL as a camera: exports, SDK lifetime, references,
// enumeration, sessions, properties and property events.

#include "EdsTestSupport.h"

#include <cstring>

namespace vostrel::sim::test {
namespace {

using EdsCameraTest = EdsTest;

TEST(EdsLibraryTest, ExportsEveryEntryPointAndTheControlInterface) {
#define VOSTREL_SIM_TEST_EXPORTED(number, name, result, parameters)                                \
  EXPECT_NE(edsdkLibrary().symbol(#name), nullptr) << #name;
  EDSDK_ENTRY_POINTS(VOSTREL_SIM_TEST_EXPORTED)
#undef VOSTREL_SIM_TEST_EXPORTED
  EXPECT_NO_THROW(SimControlClient{edsdkLibrary()});
}

TEST(EdsLibraryTest, RefusesCallsBeforeTheSdkIsInitialised) {
  control().resetScenario();
  EdsCameraListRef list = nullptr;
  EXPECT_EQ(eds().EdsGetCameraList(&list), EdsErrInvalidFunctionCall);
  EXPECT_EQ(list, nullptr);
  ASSERT_EQ(eds().EdsInitializeSDK(), EdsErrOK);
  EXPECT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  ASSERT_EQ(eds().EdsTerminateSDK(), EdsErrOK);
  // Termination drops every reference.
  EdsUInt32 count = 0;
  ASSERT_EQ(eds().EdsInitializeSDK(), EdsErrOK);
  EXPECT_EQ(eds().EdsGetChildCount(list, &count), EdsErrInvalidHandle);
  EXPECT_EQ(control().liveReferences(), 0u);
  EXPECT_EQ(eds().EdsTerminateSDK(), EdsErrOK);
}

TEST_F(EdsCameraTest, ReleaseFreesAReferenceWhenItsCountReachesZero) {
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  EXPECT_EQ(control().liveReferences(), 1u);
  EXPECT_EQ(eds().EdsRetain(list), EdsErrOK);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrOK);
  EdsUInt32 count = 0;
  EXPECT_EQ(eds().EdsGetChildCount(list, &count), EdsErrOK);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrOK);
  EXPECT_EQ(control().liveReferences(), 0u);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrInvalidHandle);
  EXPECT_EQ(eds().EdsGetChildCount(list, &count), EdsErrInvalidHandle);
  // Values that never were references, and references of another kind.
  int notAReference = 0;
  EXPECT_EQ(eds().EdsRelease(&notAReference), EdsErrInvalidHandle);
  EXPECT_EQ(eds().EdsOpenSession(nullptr), EdsErrInvalidHandle);
  EdsStreamRef stream = nullptr;
  ASSERT_EQ(eds().EdsCreateMemoryStream(0, &stream), EdsErrOK);
  EXPECT_EQ(eds().EdsOpenSession(stream), EdsErrInvalidParameter);
  EXPECT_EQ(eds().EdsRelease(stream), EdsErrOK);
}

TEST_F(EdsCameraTest, EnumeratesTheAttachedCamerasWithTheirModelNames) {
  EdsCameraListRef list = nullptr;
  ASSERT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  EdsUInt32 count = 0;
  ASSERT_EQ(eds().EdsGetChildCount(list, &count), EdsErrOK);
  ASSERT_EQ(count, 2u);
  const char* models[] = {"EOS Studio", "EOS Travel"};
  for (EdsInt32 i = 0; i < 2; ++i) {
    EdsCameraRef camera = nullptr;
    DeviceInfoType info;
    std::memset(&info, 0x55, sizeof(info));
    ASSERT_EQ(eds().EdsGetChildAtIndex(list, i, &camera), EdsErrOK);
    ASSERT_EQ(eds().EdsGetDeviceInfo(camera, &info), EdsErrOK);
    EXPECT_STREQ(info.deviceDescription, models[i]);
    EXPECT_EQ(eds().EdsRelease(camera), EdsErrOK);
  }
  EdsCameraRef missing = nullptr;
  EXPECT_EQ(eds().EdsGetChildAtIndex(list, 2, &missing), EdsErrInvalidIndex);
  EXPECT_EQ(eds().EdsGetChildAtIndex(list, -1, &missing), EdsErrInvalidIndex);
  EXPECT_EQ(eds().EdsGetChildCount(list, nullptr), EdsErrInvalidPointer);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrOK);

  loadCameras(R"([{"model": "Gone", "attached": false}, {"model": "Here"}])");
  ASSERT_EQ(eds().EdsGetCameraList(&list), EdsErrOK);
  ASSERT_EQ(eds().EdsGetChildCount(list, &count), EdsErrOK);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(eds().EdsRelease(list), EdsErrOK);
}

TEST_F(EdsCameraTest, PropertiesNeedAnOpenSessionAndSessionsDoNotNest) {
  EdsCameraRef studio = camera(0);
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(studio, EdsPropBodyID, 0, 4, &value), EdsErrSessionNotOpen);
  EXPECT_EQ(eds().EdsCloseSession(studio), EdsErrSessionNotOpen);
  EXPECT_EQ(eds().EdsOpenSession(studio), EdsErrOK);
  EXPECT_EQ(eds().EdsOpenSession(studio), EdsErrSessionAlreadyOpen);
  EXPECT_EQ(property32(studio, EdsPropBodyID), 1420031234u);
  EXPECT_EQ(eds().EdsCloseSession(studio), EdsErrOK);
  EXPECT_EQ(eds().EdsGetPropertyData(studio, EdsPropBodyID, 0, 4, &value), EdsErrSessionNotOpen);
  EXPECT_EQ(eds().EdsSendCommand(studio, EdsCommandTakePicture, 0), EdsErrSessionNotOpen);
}

TEST_F(EdsCameraTest, ReportsIdentityBatteryAndShotsFromTheScenario) {
  EdsCameraRef studio = openCamera(0);
  EdsCameraRef travel = openCamera(1);
  char owner[256];
  std::memset(owner, 'x', sizeof(owner));
  ASSERT_EQ(eds().EdsGetPropertyData(studio, EdsPropOwnerName, 0, 256, owner), EdsErrOK);
  EXPECT_STREQ(owner, "Studio North");
  EXPECT_EQ(property32(studio, EdsPropBatteryLevel) & 0xFF, 80u);
  EXPECT_EQ(property32(travel, EdsPropBatteryLevel) & 0xFF, 255u);
  EXPECT_EQ(property32(studio, EdsPropAvailableShots), 312u);
  EXPECT_EQ(property32(travel, EdsPropBodyID), 560078u);
  // A buffer smaller than the value is refused; the parameter must be 0.
  EXPECT_EQ(eds().EdsGetPropertyData(studio, EdsPropOwnerName, 0, 4, owner), EdsErrInvalidLength);
  EdsUInt32 value = 0;
  EXPECT_EQ(eds().EdsGetPropertyData(studio, EdsPropBodyID, 1, 4, &value), EdsErrInvalidParameter);
  EXPECT_EQ(setProperty32(studio, EdsPropBodyID, 7), EdsErrNotSupported);
  EXPECT_EQ(eds().EdsGetPropertyData(studio, EdsPropPhotoEffect, 0, 4, &value),
            EdsErrPropertiesUnavailable);
}

TEST_F(EdsCameraTest, OwnerNameAndClockAreWrittenWithTheirTypesAndSizes) {
  EdsCameraRef studio = openCamera(0);
  EdsUInt32 type = 0;
  EdsUInt32 size = 0;
  ASSERT_EQ(eds().EdsGetPropertySize(studio, EdsPropOwnerName, 0, &type, &size), EdsErrOK);
  EXPECT_EQ(type, EdsDataTypeString);
  EXPECT_EQ(size, 32u);
  ASSERT_EQ(eds().EdsGetPropertySize(studio, EdsPropDateTime, 0, &type, &size), EdsErrOK);
  EXPECT_EQ(type, EdsDataTypeTime);
  EXPECT_EQ(size, sizeof(CameraTimeType));

  const char name[] = "Night Desk";
  ASSERT_EQ(eds().EdsSetPropertyData(studio, EdsPropOwnerName, 0, sizeof(name), name), EdsErrOK);
  char owner[256] = {};
  ASSERT_EQ(eds().EdsGetPropertyData(studio, EdsPropOwnerName, 0, 256, owner), EdsErrOK);
  EXPECT_STREQ(owner, "Night Desk");
  const std::string tooLong(32, 'a');
  EXPECT_EQ(eds().EdsSetPropertyData(studio, EdsPropOwnerName, 0, 33, tooLong.c_str()),
            EdsErrInvalidLength);

  CameraTimeType time = {2025, 2, 28, 23, 59, 58, 500};
  ASSERT_EQ(eds().EdsSetPropertyData(studio, EdsPropDateTime, 0, sizeof(time), &time), EdsErrOK);
  CameraTimeType back{};
  ASSERT_EQ(eds().EdsGetPropertyData(studio, EdsPropDateTime, 0, sizeof(back), &back), EdsErrOK);
  EXPECT_EQ(std::memcmp(&time, &back, sizeof(time)), 0);
  CameraTimeType leapDay = {2025, 2, 29, 0, 0, 0, 0};
  EXPECT_EQ(eds().EdsSetPropertyData(studio, EdsPropDateTime, 0, sizeof(leapDay), &leapDay),
            EdsErrInvalidParameter);
}

TEST_F(EdsCameraTest, WritesOnlyTheValuesTheCameraAccepts) {
  EdsCameraRef travel = openCamera(1);
  EXPECT_EQ(setProperty32(travel, EdsPropAv, 48), EdsErrOK);
  EXPECT_EQ(property32(travel, EdsPropAv), 48u);
  EXPECT_EQ(setProperty32(travel, EdsPropAv, 24), EdsErrInvalidParameter); // not on this body
  EXPECT_EQ(setProperty32(travel, EdsPropAv, 49), EdsErrInvalidParameter);
  EXPECT_EQ(property32(travel, EdsPropAv), 48u);
  EdsUInt32 shortValue = 0;
  EXPECT_EQ(eds().EdsSetPropertyData(travel, EdsPropAv, 0, 2, &shortValue), EdsErrInvalidLength);

  PropertyDescType desc{};
  ASSERT_EQ(eds().EdsGetPropertyDesc(travel, EdsPropAv, &desc), EdsErrOK);
  ASSERT_EQ(desc.numElements, 16);
  EXPECT_EQ(desc.propDesc[0], 32);
  EXPECT_EQ(desc.propDesc[15], 72);
  ASSERT_EQ(eds().EdsGetPropertyDesc(travel, EdsPropExposureCompensation, &desc), EdsErrOK);
  EXPECT_EQ(desc.numElements, 13);
  EXPECT_EQ(eds().EdsGetPropertyDesc(travel, EdsPropPictureStyle, &desc),
            EdsErrPropertiesUnavailable);
}

TEST_F(EdsCameraTest, ScenarioChoosesRefusalCodesAndReadBack) {
  loadCameras(R"([{"model": "Moody", "properties": {
      "Tv": {"value": 96, "accepted": [96, 99], "refuseWith": 129},
      "ISOSpeed": {"value": 72, "readBack": "unchanged"},
      "MeteringMode": {"value": 3, "ignored": [5]},
      "0x0999": {"value": -4, "accepted": {"min": -6, "max": 6, "step": 2}}}}])");
  EdsCameraRef moody = openCamera(0);
  EXPECT_EQ(setProperty32(moody, EdsPropTv, 104), EdsErrDeviceBusy);
  EXPECT_EQ(setProperty32(moody, EdsPropTv, 99), EdsErrOK);
  EXPECT_EQ(property32(moody, EdsPropTv), 99u);
  EXPECT_EQ(setProperty32(moody, EdsPropIsoSpeed, 80), EdsErrOK); // taken, but not applied
  EXPECT_EQ(property32(moody, EdsPropIsoSpeed), 72u);
  EXPECT_EQ(setProperty32(moody, EdsPropMeteringMode, 5), EdsErrOK);
  EXPECT_EQ(property32(moody, EdsPropMeteringMode), 3u);
  EXPECT_EQ(setProperty32(moody, EdsPropMeteringMode, 1), EdsErrOK);
  EXPECT_EQ(property32(moody, EdsPropMeteringMode), 1u);
  EXPECT_EQ(setProperty32(moody, 0x0999, static_cast<EdsUInt32>(-6)), EdsErrOK);
  EXPECT_EQ(setProperty32(moody, 0x0999, 1), EdsErrInvalidParameter);
  EXPECT_EQ(control().property(0, 0x0999), u32Bytes(static_cast<std::uint32_t>(-6)));
}

TEST_F(EdsCameraTest, RawImageQualityTakesTheCamerasOwnRawSizeAndQuality) {
  EdsCameraRef studio = openCamera(0);
  // RAW alone, written with a JPEG size and quality for the RAW part.
  const ImageQualityValueType rawLarge = {1, 2, 5, 0, 0, 0};
  ASSERT_EQ(eds().EdsSetPropertyData(studio, EdsPropImageQuality, 0, sizeof(rawLarge), &rawLarge),
            EdsErrOK);
  ImageQualityValueType back{};
  ASSERT_EQ(eds().EdsGetPropertyData(studio, EdsPropImageQuality, 0, sizeof(back), &back),
            EdsErrOK);
  EXPECT_EQ(back.primaryImageSize, 0);
  EXPECT_EQ(back.primaryImageFormat, 2);
  EXPECT_EQ(back.primaryCompressQuality, 4);
  // RAW with a JPEG beside it; a JPEG the camera does not offer is refused.
  const ImageQualityValueType rawAndJpeg = {2, 2, 3, 1, 1, 3};
  ASSERT_EQ(
      eds().EdsSetPropertyData(studio, EdsPropImageQuality, 0, sizeof(rawAndJpeg), &rawAndJpeg),
      EdsErrOK);
  ASSERT_EQ(eds().EdsGetPropertyData(studio, EdsPropImageQuality, 0, sizeof(back), &back),
            EdsErrOK);
  EXPECT_EQ(back.secondaryImageSize, 1);
  EXPECT_EQ(back.secondaryCompressQuality, 3);
  const ImageQualityValueType smallJpeg = {5, 1, 3, 0, 0, 0};
  EXPECT_EQ(eds().EdsSetPropertyData(studio, EdsPropImageQuality, 0, sizeof(smallJpeg), &smallJpeg),
            EdsErrInvalidParameter);
}

TEST_F(EdsCameraTest, AChangedValueRaisesAPropertyEventOnTheSimulatorsThread) {
  EdsCameraRef studio = openCamera(0);
  listen(studio);
  ASSERT_EQ(setProperty32(studio, EdsPropColorSpace, 2), EdsErrOK);
  ASSERT_EQ(setProperty32(studio, EdsPropColorSpace, 2), EdsErrOK); // unchanged: no event
  control().waitIdle();
  const auto events = recorder_.deliveries("property");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].event, EdsPropertyEventValueChanged);
  EXPECT_EQ(events[0].value, EdsPropColorSpace);
  EXPECT_NE(events[0].thread, std::this_thread::get_id());

  // A handler registered for another event hears nothing.
  ASSERT_EQ(eds().EdsSetPropertyEventHandler(studio, EdsPropertyEventDescChanged,
                                             Recorder::onProperty, &recorder_),
            EdsErrOK);
  ASSERT_EQ(setProperty32(studio, EdsPropColorSpace, 1), EdsErrOK);
  control().waitIdle();
  EXPECT_EQ(recorder_.deliveries("property").size(), 1u);
  EXPECT_EQ(eds().EdsSetPropertyEventHandler(studio, 0x0200, Recorder::onProperty, &recorder_),
            EdsErrInvalidParameter);
}

TEST_F(EdsCameraTest, KeepAwakeIsCountedAndUnknownCommandsAreRefused) {
  EdsCameraRef travel = openCamera(1);
  EXPECT_EQ(eds().EdsSendCommand(travel, EdsCommandExtendShutDownTimer, 0), EdsErrOK);
  EXPECT_EQ(eds().EdsSendCommand(travel, EdsCommandExtendShutDownTimer, 0), EdsErrOK);
  EXPECT_EQ(eds().EdsSendCommand(travel, 77, 0), EdsErrNotSupported);
  EXPECT_NE(control().describeWorld().find("\"keepAwakeCount\": 2"), std::string::npos);
}

} // namespace
} // namespace vostrel::sim::test
