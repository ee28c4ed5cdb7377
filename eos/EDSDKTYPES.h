#pragma once
// Types, records, values and entry points of EDSDK.DLL, the camera library
// that drives EOS cameras. The binding resolves the entry points listed in
// EDSDK_ENTRY_POINTS in that order; the simulated library defines them with
// the same prototypes.
//
// Object references (camera list, camera, volume, directory item, stream,
// image) are opaque pointer-sized values. Every entry point returns an error
// code, 0 meaning success. Records keep their byte offsets on 32-bit builds;
// a record holding a reference widens on 64-bit builds.

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Basic types and calling convention

using EdsError = std::uint32_t;
using EdsUInt32 = std::uint32_t;
using EdsInt32 = std::int32_t;
using EdsBool = std::int32_t;

using EdsBaseRef = void*;
using EdsCameraListRef = EdsBaseRef;
using EdsCameraRef = EdsBaseRef;
using EdsVolumeRef = EdsBaseRef;
using EdsDirectoryItemRef = EdsBaseRef;
using EdsStreamRef = EdsBaseRef;
using EdsImageRef = EdsBaseRef;

#if defined(_WIN32) && !defined(_WIN64)
#define EDSAPI __stdcall
#define EDSCALLBACK __stdcall
#else
#define EDSAPI
#define EDSCALLBACK
#endif

// ---------------------------------------------------------------------------
// Callbacks

using EdsPropertyEventHandler = EdsError(EDSCALLBACK*)(EdsUInt32 event, EdsUInt32 propertyId,
                                                       EdsUInt32 parameter, void* context);
using EdsObjectEventHandler = EdsError(EDSCALLBACK*)(EdsUInt32 event, void* object, void* context);
using EdsStateEventHandler = EdsError(EDSCALLBACK*)(EdsUInt32 event, EdsUInt32 parameter,
                                                    void* context);
using EdsProgressCallback = EdsError(EDSCALLBACK*)(EdsUInt32 percent, void* context,
                                                   EdsBool* cancel);
using EdsCameraAddedHandler = EdsError(EDSCALLBACK*)(void* context);

// ---------------------------------------------------------------------------
// Records

// Filled by EdsGetDeviceInfo.
struct DeviceInfoType {
  char portName[256];
  char deviceDescription[256]; // the camera's model name
  EdsUInt32 deviceSubType;
  EdsUInt32 reserved;
};
static_assert(offsetof(DeviceInfoType, portName) == 0);
static_assert(offsetof(DeviceInfoType, deviceDescription) == 256);
static_assert(offsetof(DeviceInfoType, deviceSubType) == 512);
static_assert(sizeof(DeviceInfoType) == 520);

// Filled by EdsGetDirectoryItemInfo.
struct DirectoryItemInfoType {
  EdsUInt32 size;     // bytes
  EdsUInt32 isFolder; // 1 for a folder
  EdsUInt32 groupId;
  EdsUInt32 option;
  char fileName[256];
};
static_assert(offsetof(DirectoryItemInfoType, size) == 0);
static_assert(offsetof(DirectoryItemInfoType, isFolder) == 4);
static_assert(offsetof(DirectoryItemInfoType, groupId) == 8);
static_assert(offsetof(DirectoryItemInfoType, option) == 12);
static_assert(offsetof(DirectoryItemInfoType, fileName) == 16);
static_assert(sizeof(DirectoryItemInfoType) == 272);

// Filled by EdsGetPropertyDesc: the values a property accepts.
struct PropertyDescType {
  EdsInt32 form;
  EdsInt32 access;
  EdsInt32 numElements;
  EdsInt32 propDesc[128];
};
static_assert(offsetof(PropertyDescType, form) == 0);
static_assert(offsetof(PropertyDescType, access) == 4);
static_assert(offsetof(PropertyDescType, numElements) == 8);
static_assert(offsetof(PropertyDescType, propDesc) == 12);
static_assert(sizeof(PropertyDescType) == 524);

// Value of the date-time property.
struct CameraTimeType {
  EdsUInt32 year;
  EdsUInt32 month;
  EdsUInt32 day;
  EdsUInt32 hour;
  EdsUInt32 minute;
  EdsUInt32 second;
  EdsUInt32 milliseconds;
};
static_assert(offsetof(CameraTimeType, milliseconds) == 24);
static_assert(sizeof(CameraTimeType) == 28);

// Value of the image-quality property. Format 1 is JPEG, 2 is RAW; the
// secondary image is the JPEG written beside a RAW picture (all 0 if none).
struct ImageQualityValueType {
  EdsInt32 primaryImageSize;
  EdsInt32 primaryImageFormat;
  EdsInt32 primaryCompressQuality;
  EdsInt32 secondaryImageSize;
  EdsInt32 secondaryImageFormat;
  EdsInt32 secondaryCompressQuality;
};
static_assert(offsetof(ImageQualityValueType, secondaryImageSize) == 12);
static_assert(sizeof(ImageQualityValueType) == 24);

// Value of the picture-style property. Saturation and colour tone hold
// 0x7FFFFFFF, filter and toning effect 0xFFFFFFFF when not used.
struct PictureStyleValueType {
  EdsInt32 contrast;
  EdsInt32 sharpness;
  EdsInt32 saturation;
  EdsInt32 colorTone;
  EdsUInt32 filterEffect;
  EdsUInt32 toningEffect;
};
static_assert(offsetof(PictureStyleValueType, filterEffect) == 16);
static_assert(sizeof(PictureStyleValueType) == 24);

// Value of the white-balance shift property.
struct WhiteBalanceShiftType {
  EdsInt32 amberBlue;
  EdsInt32 greenMagenta;
};
static_assert(sizeof(WhiteBalanceShiftType) == 8);

// Third argument of EdsSaveImage, passed by value.
struct SaveImageSettingType {
  EdsUInt32 jpegQuality;
  EdsStreamRef iccProfileStream; // null for none
  EdsUInt32 reserved;
};
#if INTPTR_MAX == INT32_MAX
static_assert(offsetof(SaveImageSettingType, iccProfileStream) == 4);
static_assert(offsetof(SaveImageSettingType, reserved) == 8);
static_assert(sizeof(SaveImageSettingType) == 12);
#else
static_assert(offsetof(SaveImageSettingType, iccProfileStream) == 8);
static_assert(offsetof(SaveImageSettingType, reserved) == 16);
static_assert(sizeof(SaveImageSettingType) == 24);
#endif

// Argument of EdsSetCapacity, passed by value.
struct CapacityType {
  EdsInt32 numberOfFreeClusters;
  EdsInt32 bytesPerSector;
  EdsBool reset;
};
static_assert(sizeof(CapacityType) == 12);

// Filled by EdsGetVolumeInfo.
struct VolumeInfoType {
  EdsUInt32 storageType;
  EdsUInt32 access;
  EdsUInt32 maxCapacityKilobytes;
  EdsUInt32 freeSpaceKilobytes;
  char volumeLabel[256];
};
static_assert(offsetof(VolumeInfoType, volumeLabel) == 16);
static_assert(sizeof(VolumeInfoType) == 272);

// Filled by EdsGetImageInfo.
struct ImageInfoType {
  EdsUInt32 width;
  EdsUInt32 height;
  EdsUInt32 numberOfComponents;
  EdsUInt32 componentDepth; // bits
  EdsInt32 effectiveX;
  EdsInt32 effectiveY;
  EdsInt32 effectiveWidth;
  EdsInt32 effectiveHeight;
};
static_assert(sizeof(ImageInfoType) == 32);

// ---------------------------------------------------------------------------
// Property identifiers (the parameter argument is always 0)

constexpr EdsUInt32 EdsPropBodyID = 0x0003;            // unsigned 32-bit
constexpr EdsUInt32 EdsPropOwnerName = 0x0004;         // zero-terminated text
constexpr EdsUInt32 EdsPropDateTime = 0x0006;          // CameraTimeType
constexpr EdsUInt32 EdsPropBatteryLevel = 0x0008;      // low byte: 255 AC, 80/50/30 battery
constexpr EdsUInt32 EdsPropSaveTo = 0x000B;            // 1 camera, 2 PC, 3 both
constexpr EdsUInt32 EdsPropImageQuality = 0x0100;      // ImageQualityValueType
constexpr EdsUInt32 EdsPropWhiteBalance = 0x0106;      // 32-bit code
constexpr EdsUInt32 EdsPropColorTemperature = 0x0107;  // Kelvin
constexpr EdsUInt32 EdsPropWhiteBalanceShift = 0x0108; // WhiteBalanceShiftType
constexpr EdsUInt32 EdsPropColorSpace = 0x010D;
constexpr EdsUInt32 EdsPropPhotoEffect = 0x010F;
constexpr EdsUInt32 EdsPropPictureStyle = 0x0115; // PictureStyleValueType
constexpr EdsUInt32 EdsPropShootingMode = 0x0400;
constexpr EdsUInt32 EdsPropDriveMode = 0x0401;
constexpr EdsUInt32 EdsPropIsoSpeed = 0x0402;
constexpr EdsUInt32 EdsPropMeteringMode = 0x0403;
constexpr EdsUInt32 EdsPropAFMode = 0x0404;
constexpr EdsUInt32 EdsPropAv = 0x0405;
constexpr EdsUInt32 EdsPropTv = 0x0406;
constexpr EdsUInt32 EdsPropExposureCompensation = 0x0407;
constexpr EdsUInt32 EdsPropAvailableShots = 0x040A;

// Data types reported by EdsGetPropertySize.
constexpr EdsUInt32 EdsDataTypeUnknown = 0;
constexpr EdsUInt32 EdsDataTypeString = 2;
constexpr EdsUInt32 EdsDataTypeInt32 = 8;
constexpr EdsUInt32 EdsDataTypeUInt32 = 9;
constexpr EdsUInt32 EdsDataTypeTime = 23;
constexpr EdsUInt32 EdsDataTypeInt32Array = 40;

// Form and access of a PropertyDescType.
constexpr EdsInt32 EdsPropertyFormNone = 0;
constexpr EdsInt32 EdsPropertyFormEnumeration = 1;
constexpr EdsInt32 EdsPropertyAccessRead = 1;
constexpr EdsInt32 EdsPropertyAccessReadWrite = 3;

// ---------------------------------------------------------------------------
// Events, commands and other values

constexpr EdsUInt32 EdsPropertyEventAll = 0x0100;
constexpr EdsUInt32 EdsPropertyEventValueChanged = 0x0101;
constexpr EdsUInt32 EdsPropertyEventDescChanged = 0x0102;

constexpr EdsUInt32 EdsObjectEventAll = 0x0200;
constexpr EdsUInt32 EdsObjectEventTransferRequest = 0x0208; // a released picture

constexpr EdsUInt32 EdsStateEventAll = 0x0300;
constexpr EdsUInt32 EdsStateEventShutdown = 0x0301;
constexpr EdsUInt32 EdsStateEventWillSoonShutdown = 0x0303;
constexpr EdsUInt32 EdsStateEventCaptureError = 0x0305;
constexpr EdsUInt32 EdsStateEventInternalError = 0x0306;

constexpr EdsUInt32 EdsCommandTakePicture = 0;
constexpr EdsUInt32 EdsCommandExtendShutDownTimer = 1;

constexpr EdsUInt32 EdsSaveToCamera = 1;
constexpr EdsUInt32 EdsSaveToHost = 2;
constexpr EdsUInt32 EdsSaveToBoth = 3;

constexpr EdsUInt32 EdsImageFormatJPEG = 1;
constexpr EdsUInt32 EdsImageFormatRAW = 2;

// Target image types of EdsSaveImage.
constexpr EdsUInt32 EdsTargetImageJPEG = 1;
constexpr EdsUInt32 EdsTargetImageTIFF = 7;   // 8 bits per channel
constexpr EdsUInt32 EdsTargetImageTIFF16 = 8; // 16 bits per channel

// Create dispositions and access of EdsCreateFileStream.
constexpr EdsUInt32 EdsFileCreateNew = 0;        // fails if the file exists
constexpr EdsUInt32 EdsFileCreateAlways = 1;     // creates anew, replacing a file
constexpr EdsUInt32 EdsFileOpenExisting = 2;     // fails if the file is missing
constexpr EdsUInt32 EdsFileOpenAlways = 3;       // opens, creating a missing file
constexpr EdsUInt32 EdsFileTruncateExisting = 4; // empties an existing file
constexpr EdsUInt32 EdsAccessRead = 0;
constexpr EdsUInt32 EdsAccessWrite = 1;
constexpr EdsUInt32 EdsAccessReadWrite = 2;

// Origins of EdsSeek.
constexpr EdsUInt32 EdsSeekCurrent = 0;
constexpr EdsUInt32 EdsSeekBegin = 1;
constexpr EdsUInt32 EdsSeekEnd = 2;

// Options of EdsSetProgressCallback.
constexpr EdsUInt32 EdsProgressNoReport = 0;
constexpr EdsUInt32 EdsProgressDone = 1;
constexpr EdsUInt32 EdsProgressPeriodically = 2;

// ---------------------------------------------------------------------------
// Error codes (the low 16 bits carry the meaning)

constexpr EdsError EdsErrOK = 0x00000000;
constexpr EdsError EdsErrInternalError = 0x00000002;
constexpr EdsError EdsErrMemoryAllocationFailed = 0x00000003;
constexpr EdsError EdsErrOperationCancelled = 0x00000005;
constexpr EdsError EdsErrNotSupported = 0x00000007;
constexpr EdsError EdsErrFileIO = 0x00000020;
constexpr EdsError EdsErrFileNotFound = 0x00000022;
constexpr EdsError EdsErrFileOpen = 0x00000023;
constexpr EdsError EdsErrFileRead = 0x00000027;
constexpr EdsError EdsErrFileWrite = 0x00000028;
constexpr EdsError EdsErrFileAlreadyExists = 0x0000002B;
constexpr EdsError EdsErrFileFormatUnrecognized = 0x0000002C;
constexpr EdsError EdsErrFileDataCorrupt = 0x0000002D;
constexpr EdsError EdsErrDirectoryNotFound = 0x00000040;
constexpr EdsError EdsErrPropertiesUnavailable = 0x00000050;
constexpr EdsError EdsErrInvalidParameter = 0x00000060;
constexpr EdsError EdsErrInvalidHandle = 0x00000061;
constexpr EdsError EdsErrInvalidPointer = 0x00000062;
constexpr EdsError EdsErrInvalidIndex = 0x00000063;
constexpr EdsError EdsErrInvalidLength = 0x00000064;
constexpr EdsError EdsErrDeviceNotFound = 0x00000080;
constexpr EdsError EdsErrDeviceBusy = 0x00000081;
constexpr EdsError EdsErrDeviceMemoryFull = 0x00000084;
constexpr EdsError EdsErrDeviceNoDisk = 0x00000087;
constexpr EdsError EdsErrStreamSeek = 0x000000A5;
constexpr EdsError EdsErrStreamRead = 0x000000A7;
constexpr EdsError EdsErrStreamWrite = 0x000000A8;
constexpr EdsError EdsErrStreamPermission = 0x000000A9;
constexpr EdsError EdsErrStreamEndOfStream = 0x000000AC;
constexpr EdsError EdsErrCommDisconnected = 0x000000C1;
constexpr EdsError EdsErrInvalidFunctionCall = 0x000000F1;
constexpr EdsError EdsErrSessionNotOpen = 0x00002003;
constexpr EdsError EdsErrDevicePropNotSupported = 0x0000200A;
constexpr EdsError EdsErrInvalidParentObject = 0x0000201A;
constexpr EdsError EdsErrInvalidDevicePropValue = 0x0000201C;
constexpr EdsError EdsErrSessionAlreadyOpen = 0x0000201E;
constexpr EdsError EdsErrOperationRefused = 0x0000A005;

// ---------------------------------------------------------------------------
// The 50 entry points, in the order the binding resolves them:
// X(number, name, result type, (parameters))

#define EDSDK_ENTRY_POINTS(X)                                                                      \
  X(1, EdsInitializeSDK, EdsError, (void))                                                         \
  X(2, EdsTerminateSDK, EdsError, (void))                                                          \
  X(3, EdsRetain, EdsError, (EdsBaseRef ref))                                                      \
  X(4, EdsRelease, EdsError, (EdsBaseRef ref))                                                     \
  X(5, EdsGetChildCount, EdsError, (EdsBaseRef parent, EdsUInt32 * outCount))                      \
  X(6, EdsGetChildAtIndex, EdsError, (EdsBaseRef parent, EdsInt32 index, EdsBaseRef * outChild))   \
  X(7, EdsGetParent, EdsError, (EdsBaseRef ref, EdsBaseRef * outParent))                           \
  X(8, EdsGetPropertySize, EdsError,                                                               \
    (EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter, EdsUInt32 * outDataType,            \
     EdsUInt32 * outSize))                                                                         \
  X(9, EdsGetPropertyData, EdsError,                                                               \
    (EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter, EdsUInt32 size, void* outData))     \
  X(10, EdsSetPropertyData, EdsError,                                                              \
    (EdsBaseRef ref, EdsUInt32 propertyId, EdsInt32 parameter, EdsUInt32 size, const void* data))  \
  X(11, EdsGetPropertyDesc, EdsError,                                                              \
    (EdsBaseRef ref, EdsUInt32 propertyId, PropertyDescType * outDesc))                            \
  X(12, EdsGetCameraList, EdsError, (EdsCameraListRef * outCameraList))                            \
  X(13, EdsGetDeviceInfo, EdsError, (EdsCameraRef camera, DeviceInfoType * outInfo))               \
  X(14, EdsOpenSession, EdsError, (EdsCameraRef camera))                                           \
  X(15, EdsCloseSession, EdsError, (EdsCameraRef camera))                                          \
  X(16, EdsSendCommand, EdsError, (EdsCameraRef camera, EdsUInt32 command, EdsInt32 parameter))    \
  X(17, EdsSendStatusCommand, EdsError,                                                            \
    (EdsCameraRef camera, EdsUInt32 command, EdsInt32 parameter))                                  \
  X(18, EdsSetCapacity, EdsError, (EdsCameraRef camera, CapacityType capacity))                    \
  X(19, EdsGetVolumeInfo, EdsError, (EdsVolumeRef volume, VolumeInfoType * outInfo))               \
  X(20, EdsFormatVolume, EdsError, (EdsVolumeRef volume))                                          \
  X(21, EdsGetDirectoryItemInfo, EdsError,                                                         \
    (EdsDirectoryItemRef item, DirectoryItemInfoType * outInfo))                                   \
  X(22, EdsDeleteDirectoryItem, EdsError, (EdsDirectoryItemRef item))                              \
  X(23, EdsDownload, EdsError, (EdsDirectoryItemRef item, EdsUInt32 size, EdsStreamRef stream))    \
  X(24, EdsDownloadCancel, EdsError, (EdsDirectoryItemRef item))                                   \
  X(25, EdsDownloadComplete, EdsError, (EdsDirectoryItemRef item))                                 \
  X(26, EdsDownloadThumbnail, EdsError, (EdsDirectoryItemRef item, EdsStreamRef stream))           \
  X(27, EdsGetAttribute, EdsError, (EdsDirectoryItemRef item, EdsUInt32 * outAttribute))           \
  X(28, EdsSetAttribute, EdsError, (EdsDirectoryItemRef item, EdsUInt32 attribute))                \
  X(29, EdsCreateFileStream, EdsError,                                                             \
    (const char* fileName, EdsUInt32 disposition, EdsUInt32 access, EdsStreamRef* outStream))      \
  X(30, EdsCreateMemoryStream, EdsError, (EdsUInt32 bufferSize, EdsStreamRef * outStream))         \
  X(31, EdsCreateFileStreamEx, EdsError,                                                           \
    (const wchar_t* fileName, EdsUInt32 disposition, EdsUInt32 access, EdsStreamRef* outStream))   \
  X(32, EdsCreateMemoryStreamFromPointer, EdsError,                                                \
    (void* buffer, EdsUInt32 bufferSize, EdsStreamRef* outStream))                                 \
  X(33, EdsGetPointer, EdsError, (EdsStreamRef stream, void** outPointer))                         \
  X(34, EdsRead, EdsError,                                                                         \
    (EdsStreamRef stream, EdsUInt32 readSize, void* buffer, EdsUInt32* outReadSize))               \
  X(35, EdsWrite, EdsError,                                                                        \
    (EdsStreamRef stream, EdsUInt32 writeSize, const void* buffer, EdsUInt32* outWrittenSize))     \
  X(36, EdsSeek, EdsError, (EdsStreamRef stream, EdsInt32 offset, EdsUInt32 origin))               \
  X(37, EdsGetPosition, EdsError, (EdsStreamRef stream, EdsUInt32 * outPosition))                  \
  X(38, EdsGetLength, EdsError, (EdsStreamRef stream, EdsUInt32 * outLength))                      \
  X(39, EdsCopyData, EdsError,                                                                     \
    (EdsStreamRef inStream, EdsUInt32 writeSize, EdsStreamRef outStream))                          \
  X(40, EdsSetProgressCallback, EdsError,                                                          \
    (EdsBaseRef ref, EdsProgressCallback callback, EdsUInt32 option, void* context))               \
  X(41, EdsCreateImageRef, EdsError, (EdsStreamRef stream, EdsImageRef * outImage))                \
  X(42, EdsGetImageInfo, EdsError,                                                                 \
    (EdsImageRef image, EdsUInt32 imageSource, ImageInfoType * outInfo))                           \
  X(43, EdsGetImage, EdsError,                                                                     \
    (EdsImageRef image, EdsUInt32 imageSource, EdsUInt32 targetImageType, EdsStreamRef outStream)) \
  X(44, EdsSaveImage, EdsError,                                                                    \
    (EdsImageRef image, EdsUInt32 targetImageType, SaveImageSettingType setting,                   \
     EdsStreamRef outStream))                                                                      \
  X(45, EdsCacheImage, EdsError, (EdsImageRef image, EdsBool useCache))                            \
  X(46, EdsReflectImageProperty, EdsError, (EdsImageRef image))                                    \
  X(47, EdsSetCameraAddedHandler, EdsError, (EdsCameraAddedHandler handler, void* context))        \
  X(48, EdsSetPropertyEventHandler, EdsError,                                                      \
    (EdsCameraRef camera, EdsUInt32 event, EdsPropertyEventHandler handler, void* context))        \
  X(49, EdsSetObjectEventHandler, EdsError,                                                        \
    (EdsCameraRef camera, EdsUInt32 event, EdsObjectEventHandler handler, void* context))          \
  X(50, EdsSetCameraStateEventHandler, EdsError,                                                   \
    (EdsCameraRef camera, EdsUInt32 event, EdsStateEventHandler handler, void* context))

// One function-pointer type per entry point, named after it with "Fn":
// EdsOpenSessionFn, EdsDownloadFn, ...
#define EDSDK_DECLARE_FUNCTION_TYPE(number, name, result, parameters)                              \
  using name##Fn = result(EDSAPI*) parameters;
EDSDK_ENTRY_POINTS(EDSDK_DECLARE_FUNCTION_TYPE)
#undef EDSDK_DECLARE_FUNCTION_TYPE

// Number of entry points in EDSDK_ENTRY_POINTS.
#define EDSDK_COUNT_ENTRY_POINT(number, name, result, parameters) +1
constexpr int EdsEntryPointCount = 0 EDSDK_ENTRY_POINTS(EDSDK_COUNT_ENTRY_POINT);
#undef EDSDK_COUNT_ENTRY_POINT
static_assert(EdsEntryPointCount == 50);
