#pragma once
// Types, records, constants and entry points of CDSDK.DLL, the camera library
// that drives the older PowerShot cameras. The binding resolves the entry
// points listed in CDSDK_ENTRY_POINTS in that order; the simulated library
// defines them with the same prototypes.
//
// Every entry point returns a 32-bit result code, 0 meaning success; handles
// and the callback context are 32-bit values on every build, and a 16-bit
// code travels in a 32-bit argument with only its low 16 bits set. Only the
// destination record holds a pointer; every other record keeps its byte
// offsets on 64-bit builds.

#include <cstddef>
#include <cstdint>

// Calling convention of the SDK's functions and of the callbacks it calls.
#if defined(_WIN32) && !defined(_WIN64)
#define CDAPI __stdcall
#define CDCALLBACK __stdcall
#else
#define CDAPI
#define CDCALLBACK
#endif

namespace vostrel {

// ---------------------------------------------------------------------------
// Basic types

using cdError = std::uint32_t;
using cdUInt16 = std::uint16_t;
using cdUInt32 = std::uint32_t;
using cdHandle = std::uint32_t;  // a source, enumeration, volume, item or data handle
using cdContext = std::uint32_t; // handed back to the callbacks unchanged

inline constexpr cdError cdOK = 0;
// The result of an enumeration with no item left.
inline constexpr cdError cdEnumNotApplicable = 0x000000F0;

// ---------------------------------------------------------------------------
// Callbacks

// A camera event: the event word (severity in bits 16 to 19, the event in
// the low 16 bits), a pointer to the event's 32-bit data, an unused value.
using cdEventCallbackFunction = cdUInt32(CDCALLBACK*)(cdUInt32 eventWord, const cdUInt32* eventData,
                                                      cdUInt32 unused, cdContext context);
// A release event: its code and a pointer to the 32-bit count of data items.
using cdReleaseEventCallbackFunction = cdUInt32(CDCALLBACK*)(cdUInt32 releaseCode,
                                                             const cdUInt32* count, cdUInt32 unused,
                                                             cdContext context);
// Progress of a transfer or release, in percent.
using cdProgressCallbackFunction = cdUInt32(CDCALLBACK*)(cdUInt32 percent, cdUInt32 unused,
                                                         cdContext context);
// A viewfinder frame of `length` bytes.
using cdViewfinderCallbackFunction = cdUInt32(CDCALLBACK*)(const std::uint8_t* frame,
                                                           cdUInt32 length, cdUInt32 unused,
                                                           cdContext context);

// ---------------------------------------------------------------------------
// Records

// The version the host was written for, handed to CDStartSDK.
struct cdVersionInfo {
  cdUInt16 Size;  // 40
  cdUInt16 Major; // 7
  cdUInt16 Minor; // 3
  std::uint8_t Reserved[34];
};
static_assert(offsetof(cdVersionInfo, Major) == 2);
static_assert(offsetof(cdVersionInfo, Minor) == 4);
static_assert(sizeof(cdVersionInfo) == 40);

inline constexpr cdUInt16 cdVersionMajor = 7;
inline constexpr cdUInt16 cdVersionMinor = 3;

// One attached camera as the device enumeration delivers it; handed back
// whole to CDOpenSource. The texts are zero-terminated unless they fill
// their field.
inline constexpr std::size_t cdNameSize = 64;
struct cdSourceInfo {
  cdUInt32 Type;
  cdUInt32 Reserved;
  char ModelName[cdNameSize]; // the camera's model
  char Name[cdNameSize];      // the name the enumeration lists
  std::uint8_t PortData[264]; // the SDK's own address of the camera
};
static_assert(offsetof(cdSourceInfo, ModelName) == 8);
static_assert(offsetof(cdSourceInfo, Name) == 72);
static_assert(sizeof(cdSourceInfo) == 400);

// One device property as the property enumeration delivers it. The size is
// what CDGetDevicePropertyData and CDSetDevicePropertyData read and write.
struct cdDevicePropertyInfo {
  cdUInt32 Code;
  cdUInt32 Access;
  cdUInt32 Size;
  cdUInt32 Reserved;
};
static_assert(offsetof(cdDevicePropertyInfo, Size) == 8);
static_assert(sizeof(cdDevicePropertyInfo) == 16);

// A card volume. Total and free space both 0: no usable card.
struct cdVolumeInfo {
  cdUInt32 Type;
  cdUInt32 Attributes;
  cdUInt32 TotalSpace; // kilobytes
  cdUInt32 FreeSpace;  // kilobytes
  char Name[72];
};
static_assert(offsetof(cdVolumeInfo, TotalSpace) == 8);
static_assert(offsetof(cdVolumeInfo, FreeSpace) == 12);
static_assert(sizeof(cdVolumeInfo) == 88);

// Where the SDK writes transferred data: kind 0, a file of the given name.
struct cdStgMedium {
  cdUInt32 Kind;
  const char* FileName; // zero-terminated
};
static_assert(offsetof(cdStgMedium, FileName) == sizeof(void*));
static_assert(sizeof(cdStgMedium) == 2 * sizeof(void*));
inline constexpr cdUInt32 cdMediumFile = 0;

// One picture of the card as CDGetItemInfo describes it. The name is
// zero-terminated unless it fills its field.
inline constexpr std::size_t cdItemNameSize = 512;
struct cdItemInfo {
  cdUInt32 Type;
  cdUInt32 Size; // bytes of the picture
  cdUInt32 Attributes;
  char Name[cdItemNameSize];
  std::uint8_t Details[108]; // dates and the like; not read
};
static_assert(offsetof(cdItemInfo, Name) == 12);
static_assert(sizeof(cdItemInfo) == 632);

// What CDGetReleasedData tells of the data it transferred; not read.
struct cdReleaseImageInfo {
  std::uint8_t Data[20];
};
static_assert(sizeof(cdReleaseImageInfo) == 20);

// ---------------------------------------------------------------------------
// Constants

// The enumeration of every attached camera (CDEnumDeviceReset).
inline constexpr cdUInt32 cdEnumAllDevices = 1;

// Device properties.
inline constexpr cdUInt32 cdDevicePropBattery = 0x0000000F;   // 32-bit word
inline constexpr cdUInt32 cdDevicePropOwnerName = 0x0800000C; // zero-terminated text
inline constexpr cdUInt32 cdDevicePropTime = 0x0800000D;      // 32-bit seconds since 1970

// The owner name travels in a buffer of this size, terminator included.
inline constexpr std::size_t cdOwnerNameSize = 32;

// A code no property has: the start of a property search.
inline constexpr cdUInt32 cdNoProperty = 0x0FFFFFFF;

// The battery word: the power source in bits 28 to 31, the level in bits 0
// to 3.
inline constexpr cdUInt32 cdBatterySourceShift = 28;
inline constexpr cdUInt32 cdBatteryLevelMask = 0xF;

// The capability word of CDGetReleaseControlFaculty.
inline constexpr cdUInt32 cdReleaseControlCapZoom = 0x00000001;
inline constexpr cdUInt32 cdReleaseControlCapParameters = 0x00000002;
inline constexpr cdUInt32 cdReleaseControlCapViewfinder = 0x00000004;
inline constexpr cdUInt32 cdReleaseControlCapViewfinderOff = 0x00000008; // while shooting
inline constexpr cdUInt32 cdReleaseControlCapAFLock = 0x00000010;
inline constexpr cdUInt32 cdReleaseControlCapRemote = 0x40000000;

// The parts of a release's data kind (CDSelectReleaseDataKind).
inline constexpr cdUInt32 cdReleaseThumbnailToPC = 1;
inline constexpr cdUInt32 cdReleasePictureToPC = 2;
inline constexpr cdUInt32 cdReleaseThumbnailToCard = 4;
inline constexpr cdUInt32 cdReleasePictureToCard = 8;

// The picture enumeration of a card volume (CDEnumImageItemReset): every
// level of folders, pictures only.
inline constexpr cdUInt32 cdImageItemDepth = 3;
inline constexpr cdUInt32 cdImageItemOption = 1;

// The progress option of CDGetImageData with a progress function.
inline constexpr cdUInt32 cdProgressOption = 3;

// The viewfinder outputs of CDSelectViewFinderCameraOutput.
inline constexpr cdUInt32 cdViewfinderOutputLCD = 1;
inline constexpr cdUInt32 cdViewfinderOutputVideo = 2;
inline constexpr cdUInt32 cdViewfinderOutputOff = 3;
// The selector of CDActViewfinderAutoFunctions: exposure (1), focus (2) and
// white balance (4).
inline constexpr cdUInt32 cdViewfinderAutoExposure = 1;
inline constexpr cdUInt32 cdViewfinderAutoFocus = 2;
inline constexpr cdUInt32 cdViewfinderAutoWhiteBalance = 4;

// The release event of a finished release; its data is the count of data
// items waiting for CDGetReleasedData.
inline constexpr cdUInt32 cdReleaseEventComplete = 29;

// ---------------------------------------------------------------------------
// Entry points, in the order in which the binding resolves them:
// X(number, name, exported name, (parameters), (argument names)).
// One function is exported under its decorated 32-bit name.

#define CDSDK_ENTRY_POINTS(X)                                                                      \
  X(1, CDStartSDK, "CDStartSDK", (cdVersionInfo * version, cdUInt32 option), (version, option))    \
  X(2, CDFinishSDK, "CDFinishSDK", (void), ())                                                     \
  X(3, CDGetSDKVersion, "CDGetSDKVersion", (cdVersionInfo * version), (version))                   \
  X(4, CDEnumDeviceReset, "CDEnumDeviceReset", (cdUInt32 kind, cdHandle * enumeration),            \
    (kind, enumeration))                                                                           \
  X(5, CDEnumDeviceNext, "CDEnumDeviceNext", (cdHandle enumeration, cdSourceInfo * source),        \
    (enumeration, source))                                                                         \
  X(6, CDGetDeviceCount, "CDGetDeviceCount", (cdHandle enumeration, cdUInt32 * count),             \
    (enumeration, count))                                                                          \
  X(7, CDEnumDeviceRelease, "CDEnumDeviceRelease", (cdHandle enumeration), (enumeration))          \
  X(8, CDOpenSource, "CDOpenSource", (const cdSourceInfo* source, cdHandle* sourceHandle),         \
    (source, sourceHandle))                                                                        \
  X(9, CDCloseSource, "CDCloseSource", (cdHandle source), (source))                                \
  X(10, CDRegisterEventCallbackFunction, "CDRegisterEventCallbackFunction",                        \
    (cdHandle source, cdEventCallbackFunction callback, cdContext context,                         \
     cdHandle * registration),                                                                     \
    (source, callback, context, registration))                                                     \
  X(11, CDUnregisterEventCallbackFunction, "CDUnregisterEventCallbackFunction",                    \
    (cdHandle source, cdHandle registration), (source, registration))                              \
  X(12, CDEnumDevicePropertyReset, "CDEnumDevicePropertyReset",                                    \
    (cdHandle source, cdUInt32 option, cdHandle * enumeration), (source, option, enumeration))     \
  X(13, CDEnumDevicePropertyNext, "CDEnumDevicePropertyNext",                                      \
    (cdHandle enumeration, cdDevicePropertyInfo * property), (enumeration, property))              \
  X(14, CDGetDevicePropertyCount, "CDGetDevicePropertyCount",                                      \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(15, CDEnumDevicePropertyRelease, "CDEnumDevicePropertyRelease", (cdHandle enumeration),        \
    (enumeration))                                                                                 \
  X(16, CDGetDevicePropertyData, "CDGetDevicePropertyData",                                        \
    (cdHandle source, cdUInt32 property, cdUInt32 * size, void* data, cdUInt32 option),            \
    (source, property, size, data, option))                                                        \
  X(17, CDSetDevicePropertyData, "CDSetDevicePropertyData",                                        \
    (cdHandle source, cdUInt32 property, const cdUInt32* size, const void* data),                  \
    (source, property, size, data))                                                                \
  X(18, CDEnumSupportedImageSizeReset, "CDEnumSupportedImageSizeReset",                            \
    (cdHandle source, cdUInt32 option, cdHandle * enumeration), (source, option, enumeration))     \
  X(19, CDEnumSupportedImageSizeNext, "CDEnumSupportedImageSizeNext",                              \
    (cdHandle enumeration, void* imageSize), (enumeration, imageSize))                             \
  X(20, CDGetSupportedImageSizeCount, "CDGetSupportedImageSizeCount",                              \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(21, CDEnumSupportedImageSizeRelease, "CDEnumSupportedImageSizeRelease",                        \
    (cdHandle enumeration), (enumeration))                                                         \
  X(22, CDLockUI, "CDLockUI", (cdHandle source), (source))                                         \
  X(23, CDUnlockUI, "CDUnlockUI", (cdHandle source), (source))                                     \
  X(24, CDSetUILockTimeOutTime, "CDSetUILockTimeOutTime",                                          \
    (cdHandle source, cdUInt32 milliseconds), (source, milliseconds))                              \
  X(25, CDFormat, "CDFormat", (cdHandle volume), (volume))                                         \
  X(26, CDEnumVolumeReset, "CDEnumVolumeReset", (cdHandle source, cdHandle * enumeration),         \
    (source, enumeration))                                                                         \
  X(27, CDEnumVolumeNext, "CDEnumVolumeNext", (cdHandle enumeration, cdHandle * volume),           \
    (enumeration, volume))                                                                         \
  X(28, CDGetVolumeCount, "CDGetVolumeCount", (cdHandle enumeration, cdUInt32 * count),            \
    (enumeration, count))                                                                          \
  X(29, CDEnumVolumeRelease, "CDEnumVolumeRelease", (cdHandle enumeration), (enumeration))         \
  X(30, CDGetVolumeName, "CDGetVolumeName", (cdHandle volume, char* name), (volume, name))         \
  X(31, CDGetVolumeInfo, "CDGetVolumeInfo", (cdHandle volume, cdVolumeInfo * info),                \
    (volume, info))                                                                                \
  X(32, CDEnumItemReset, "CDEnumItemReset",                                                        \
    (cdHandle parent, cdUInt32 option, cdHandle * enumeration), (parent, option, enumeration))     \
  X(33, CDEnumItemNext, "CDEnumItemNext", (cdHandle enumeration, cdHandle * item),                 \
    (enumeration, item))                                                                           \
  X(34, CDGetItemCount, "CDGetItemCount", (cdHandle enumeration, cdUInt32 * count),                \
    (enumeration, count))                                                                          \
  X(35, CDEnumItemRelease, "CDEnumItemRelease", (cdHandle enumeration), (enumeration))             \
  X(36, CDEnumImageItemReset, "CDEnumImageItemReset",                                              \
    (cdHandle volume, cdUInt32 depth, cdUInt32 option, cdHandle * enumeration),                    \
    (volume, depth, option, enumeration))                                                          \
  X(37, CDEnumImageItemNext, "CDEnumImageItemNext", (cdHandle enumeration, cdHandle * item),       \
    (enumeration, item))                                                                           \
  X(38, CDGetImageItemCount, "CDGetImageItemCount", (cdHandle enumeration, cdUInt32 * count),      \
    (enumeration, count))                                                                          \
  X(39, CDEnumImageItemRelease, "CDEnumImageItemRelease", (cdHandle enumeration), (enumeration))   \
  X(40, CDGetItemInfo, "CDGetItemInfo", (cdHandle item, void* info), (item, info))                 \
  X(41, CDMakeImageItem, "CDMakeImageItem", (cdHandle parent, const void* info, cdHandle* item),   \
    (parent, info, item))                                                                          \
  X(42, CDFreeImageItem, "CDFreeImageItem", (cdHandle item), (item))                               \
  X(43, CDOpenImage, "CDOpenImage", (cdHandle item), (item))                                       \
  X(44, CDCloseImage, "CDCloseImage", (cdHandle item), (item))                                     \
  X(45, CDGetThumbnail, "CDGetThumbnail", (cdHandle item, cdHandle * data), (item, data))          \
  X(46, CDGetPicture, "CDGetPicture", (cdHandle item, cdHandle * data), (item, data))              \
  X(47, CDGetMovie, "CDGetMovie", (cdHandle item, cdHandle * data), (item, data))                  \
  X(48, CDGetSound, "CDGetSound", (cdHandle item, cdHandle * data), (item, data))                  \
  X(49, CDEnumImageDataInItemReset, "CDEnumImageDataInItemReset",                                  \
    (cdHandle item, cdUInt32 option, cdHandle * enumeration), (item, option, enumeration))         \
  X(50, CDEnumImageDataInItemNext, "CDEnumImageDataInItemNext",                                    \
    (cdHandle enumeration, cdHandle * data), (enumeration, data))                                  \
  X(51, CDGetImageDataInItemCount, "CDGetImageDataInItemCount",                                    \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(52, CDEnumImageDataInItemRelease, "CDEnumImageDataInItemRelease", (cdHandle enumeration),      \
    (enumeration))                                                                                 \
  X(53, CDGetImageDataInfo, "CDGetImageDataInfo", (cdHandle data, void* info), (data, info))       \
  X(54, CDGetImageData, "CDGetImageData",                                                          \
    (cdHandle data, void* destination, cdProgressCallbackFunction progress, cdContext context,     \
     cdUInt32 option),                                                                             \
    (data, destination, progress, context, option))                                                \
  X(55, CDAddPicture, "CDAddPicture",                                                              \
    (cdHandle parent, const void* source, cdProgressCallbackFunction progress, cdContext context,  \
     cdUInt32 option, cdHandle* item),                                                             \
    (parent, source, progress, context, option, item))                                             \
  X(56, CDDeleteImage, "CDDeleteImage", (cdHandle volume, cdHandle item), (volume, item))          \
  X(57, CDIsPrintMarked, "CDIsPrintMarked", (cdHandle item, cdUInt32 * marked), (item, marked))    \
  X(58, CDIsSlideMarked, "CDIsSlideMarked", (cdHandle item, cdUInt32 * marked), (item, marked))    \
  X(59, CDIsTransferMarked, "CDIsTransferMarked", (cdHandle item, cdUInt32 * marked),              \
    (item, marked))                                                                                \
  X(60, CDEnumBaseImageDataPropertyReset, "CDEnumBaseImageDataPropertyReset",                      \
    (cdHandle data, cdUInt32 option, cdHandle * enumeration), (data, option, enumeration))         \
  X(61, CDEnumBaseImageDataPropertyNext, "CDEnumBaseImageDataPropertyNext",                        \
    (cdHandle enumeration, void* property), (enumeration, property))                               \
  X(62, CDGetBaseImageDataPropertyCount, "CDGetBaseImageDataPropertyCount",                        \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(63, CDEnumBaseImageDataPropertyRelease, "CDEnumBaseImageDataPropertyRelease",                  \
    (cdHandle enumeration), (enumeration))                                                         \
  X(64, CDGetBaseImageDataProperty, "CDGetBaseImageDataProperty",                                  \
    (cdHandle data, cdUInt32 property, cdUInt32 * size, void* value),                              \
    (data, property, size, value))                                                                 \
  X(65, CDEnumImageItemPropertyReset, "CDEnumImageItemPropertyReset",                              \
    (cdHandle item, cdUInt32 option, cdHandle * enumeration), (item, option, enumeration))         \
  X(66, CDEnumImageItemPropertyNext, "CDEnumImageItemPropertyNext",                                \
    (cdHandle enumeration, void* property), (enumeration, property))                               \
  X(67, CDGetImageItemPropertyCount, "CDGetImageItemPropertyCount",                                \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(68, CDEnumImageItemPropertyRelease, "CDEnumImageItemPropertyRelease", (cdHandle enumeration),  \
    (enumeration))                                                                                 \
  X(69, CDGetImageItemProperty, "CDGetImageItemProperty",                                          \
    (cdHandle item, cdUInt32 property, cdUInt32 * size, void* value),                              \
    (item, property, size, value))                                                                 \
  X(70, CDSetImageItemProperty, "CDSetImageItemProperty",                                          \
    (cdHandle item, cdUInt32 property, cdUInt32 size, const void* value),                          \
    (item, property, size, value))                                                                 \
  X(71, CDFlashImageItemProperty, "CDFlashImageItemProperty", (cdHandle item), (item))             \
  X(72, CDGetThumbnailValidArea, "CDGetThumbnailValidArea", (cdHandle item, void* area),           \
    (item, area))                                                                                  \
  X(73, CDEnterReleaseControl, "CDEnterReleaseControl",                                            \
    (cdHandle source, cdReleaseEventCallbackFunction callback, cdContext context),                 \
    (source, callback, context))                                                                   \
  X(74, CDExitReleaseControl, "CDExitReleaseControl", (cdHandle source), (source))                 \
  X(75, CDGetReleaseControlFaculty, "_CDGetReleaseControlFaculty@8",                               \
    (cdHandle source, cdUInt32 * faculty), (source, faculty))                                      \
  X(76, CDSelectReleaseDataKind, "CDSelectReleaseDataKind", (cdHandle source, cdUInt32 kind),      \
    (source, kind))                                                                                \
  X(77, CDRelease, "CDRelease",                                                                    \
    (cdHandle source, cdUInt32 synchronous, cdProgressCallbackFunction progress,                   \
     cdContext context, cdUInt32 option, cdUInt32 * count),                                        \
    (source, synchronous, progress, context, option, count))                                       \
  X(78, CDGetReleasedData, "CDGetReleasedData",                                                    \
    (cdHandle source, cdProgressCallbackFunction progress, cdContext context, cdUInt32 option,     \
     void* info, void* destination),                                                               \
    (source, progress, context, option, info, destination))                                        \
  X(79, CDStartViewfinder, "CDStartViewfinder",                                                    \
    (cdHandle source, cdUInt32 format, cdViewfinderCallbackFunction callback, cdContext context),  \
    (source, format, callback, context))                                                           \
  X(80, CDTermViewfinder, "CDTermViewfinder", (cdHandle source), (source))                         \
  X(81, CDSelectViewFinderCameraOutput, "CDSelectViewFinderCameraOutput",                          \
    (cdHandle source, cdUInt32 output), (source, output))                                          \
  X(82, CDActViewfinderAutoFunctions, "CDActViewfinderAutoFunctions",                              \
    (cdHandle source, cdUInt32 functions), (source, functions))                                    \
  X(83, CDGetMaximumZoomPos, "CDGetMaximumZoomPos",                                                \
    (cdHandle source, cdUInt32 * maximum, cdUInt32 * maximumOptical),                              \
    (source, maximum, maximumOptical))                                                             \
  X(84, CDGetZoomPos, "CDGetZoomPos", (cdHandle source, cdUInt32 * position), (source, position))  \
  X(85, CDGetDZoomMagnification, "CDGetDZoomMagnification",                                        \
    (cdHandle source, cdUInt32 * magnification), (source, magnification))                          \
  X(86, CDSetZoomPos, "CDSetZoomPos", (cdHandle source, cdUInt32 position), (source, position))    \
  X(87, CDAFLock, "CDAFLock", (cdHandle source, cdUInt32 lock), (source, lock))                    \
  X(88, CDSetImageFormatAttribute, "CDSetImageFormatAttribute",                                    \
    (cdHandle source, cdUInt32 quality, cdUInt32 imageSize), (source, quality, imageSize))         \
  X(89, CDGetImageFormatAttribute, "CDGetImageFormatAttribute",                                    \
    (cdHandle source, cdUInt16 * quality, cdUInt16 * imageSize), (source, quality, imageSize))     \
  X(90, CDEnumImageFormatAttributeReset, "CDEnumImageFormatAttributeReset",                        \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(91, CDEnumImageFormatAttributeNext, "CDEnumImageFormatAttributeNext",                          \
    (cdHandle enumeration, cdUInt16 * quality, cdUInt16 * imageSize),                              \
    (enumeration, quality, imageSize))                                                             \
  X(92, CDEnumImageFormatAttributeRelease, "CDEnumImageFormatAttributeRelease",                    \
    (cdHandle enumeration), (enumeration))                                                         \
  X(93, CDGetImageFormatAttributeCount, "CDGetImageFormatAttributeCount",                          \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(94, CDSetDriveMode, "CDSetDriveMode", (cdHandle source, cdUInt32 code), (source, code))        \
  X(95, CDGetDriveMode, "CDGetDriveMode", (cdHandle source, cdUInt16 * code), (source, code))      \
  X(96, CDEnumDriveModeReset, "CDEnumDriveModeReset", (cdHandle source, cdHandle * enumeration),   \
    (source, enumeration))                                                                         \
  X(97, CDEnumDriveModeNext, "CDEnumDriveModeNext", (cdHandle enumeration, cdUInt16 * code),       \
    (enumeration, code))                                                                           \
  X(98, CDEnumDriveModeRelease, "CDEnumDriveModeRelease", (cdHandle enumeration), (enumeration))   \
  X(99, CDGetDriveModeCount, "CDGetDriveModeCount", (cdHandle enumeration, cdUInt32 * count),      \
    (enumeration, count))                                                                          \
  X(100, CDSetShootingMode, "CDSetShootingMode", (cdHandle source, cdUInt32 code), (source, code)) \
  X(101, CDGetShootingMode, "CDGetShootingMode", (cdHandle source, cdUInt16 * code),               \
    (source, code))                                                                                \
  X(102, CDEnumShootingModeReset, "CDEnumShootingModeReset",                                       \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(103, CDEnumShootingModeNext, "CDEnumShootingModeNext",                                         \
    (cdHandle enumeration, cdUInt16 * code), (enumeration, code))                                  \
  X(104, CDEnumShootingModeRelease, "CDEnumShootingModeRelease", (cdHandle enumeration),           \
    (enumeration))                                                                                 \
  X(105, CDGetShootingModeCount, "CDGetShootingModeCount",                                         \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(106, CDSetAvValue, "CDSetAvValue", (cdHandle source, cdUInt32 code), (source, code))           \
  X(107, CDGetAvValue, "CDGetAvValue", (cdHandle source, cdUInt16 * code), (source, code))         \
  X(108, CDSetTvValue, "CDSetTvValue", (cdHandle source, cdUInt32 code), (source, code))           \
  X(109, CDGetTvValue, "CDGetTvValue", (cdHandle source, cdUInt16 * code), (source, code))         \
  X(110, CDEnumAvValueReset, "CDEnumAvValueReset", (cdHandle source, cdHandle * enumeration),      \
    (source, enumeration))                                                                         \
  X(111, CDEnumAvValueNext, "CDEnumAvValueNext", (cdHandle enumeration, cdUInt16 * code),          \
    (enumeration, code))                                                                           \
  X(112, CDEnumAvValueRelease, "CDEnumAvValueRelease", (cdHandle enumeration), (enumeration))      \
  X(113, CDGetAvValueCount, "CDGetAvValueCount", (cdHandle enumeration, cdUInt32 * count),         \
    (enumeration, count))                                                                          \
  X(114, CDEnumTvValueReset, "CDEnumTvValueReset", (cdHandle source, cdHandle * enumeration),      \
    (source, enumeration))                                                                         \
  X(115, CDEnumTvValueNext, "CDEnumTvValueNext", (cdHandle enumeration, cdUInt16 * code),          \
    (enumeration, code))                                                                           \
  X(116, CDEnumTvValueRelease, "CDEnumTvValueRelease", (cdHandle enumeration), (enumeration))      \
  X(117, CDGetTvValueCount, "CDGetTvValueCount", (cdHandle enumeration, cdUInt32 * count),         \
    (enumeration, count))                                                                          \
  X(118, CDSetExposureComp, "CDSetExposureComp", (cdHandle source, cdUInt32 code), (source, code)) \
  X(119, CDGetExposureComp, "CDGetExposureComp", (cdHandle source, cdUInt16 * code),               \
    (source, code))                                                                                \
  X(120, CDEnumExposureCompReset, "CDEnumExposureCompReset",                                       \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(121, CDEnumExposureCompNext, "CDEnumExposureCompNext",                                         \
    (cdHandle enumeration, cdUInt16 * code), (enumeration, code))                                  \
  X(122, CDEnumExposureCompRelease, "CDEnumExposureCompRelease", (cdHandle enumeration),           \
    (enumeration))                                                                                 \
  X(123, CDGetExposureCompCount, "CDGetExposureCompCount",                                         \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(124, CDSetWBSetting, "CDSetWBSetting", (cdHandle source, cdUInt32 code), (source, code))       \
  X(125, CDGetWBSetting, "CDGetWBSetting", (cdHandle source, cdUInt16 * code), (source, code))     \
  X(126, CDEnumWBSettingReset, "CDEnumWBSettingReset", (cdHandle source, cdHandle * enumeration),  \
    (source, enumeration))                                                                         \
  X(127, CDEnumWBSettingNext, "CDEnumWBSettingNext", (cdHandle enumeration, cdUInt16 * code),      \
    (enumeration, code))                                                                           \
  X(128, CDEnumWBSettingRelease, "CDEnumWBSettingRelease", (cdHandle enumeration), (enumeration))  \
  X(129, CDGetWBSettingCount, "CDGetWBSettingCount", (cdHandle enumeration, cdUInt32 * count),     \
    (enumeration, count))                                                                          \
  X(130, CDSetAFDistanceSetting, "CDSetAFDistanceSetting", (cdHandle source, cdUInt32 code),       \
    (source, code))                                                                                \
  X(131, CDGetAFDistanceSetting, "CDGetAFDistanceSetting", (cdHandle source, cdUInt16 * code),     \
    (source, code))                                                                                \
  X(132, CDEnumAFDistanceSettingReset, "CDEnumAFDistanceSettingReset",                             \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(133, CDEnumAFDistanceSettingNext, "CDEnumAFDistanceSettingNext",                               \
    (cdHandle enumeration, cdUInt16 * code), (enumeration, code))                                  \
  X(134, CDEnumAFDistanceSettingRelease, "CDEnumAFDistanceSettingRelease", (cdHandle enumeration), \
    (enumeration))                                                                                 \
  X(135, CDGetAFDistanceSettingCount, "CDGetAFDistanceSettingCount",                               \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(136, CDSetFlashSetting, "CDSetFlashSetting",                                                   \
    (cdHandle source, cdUInt32 mode, cdUInt32 compensation), (source, mode, compensation))         \
  X(137, CDGetFlashSetting, "CDGetFlashSetting",                                                   \
    (cdHandle source, cdUInt16 * mode, cdUInt16 * compensation), (source, mode, compensation))     \
  X(138, CDEnumFlashSettingReset, "CDEnumFlashSettingReset",                                       \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(139, CDEnumFlashSettingNext, "CDEnumFlashSettingNext",                                         \
    (cdHandle enumeration, cdUInt16 * mode), (enumeration, mode))                                  \
  X(140, CDEnumFlashSettingRelease, "CDEnumFlashSettingRelease", (cdHandle enumeration),           \
    (enumeration))                                                                                 \
  X(141, CDGetFlashSettingCount, "CDGetFlashSettingCount",                                         \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(142, CDGetNumAvailableShot, "CDGetNumAvailableShot", (cdHandle source, cdUInt32 * count),      \
    (source, count))                                                                               \
  X(143, CDEnumRelCamSettingReset, "CDEnumRelCamSettingReset",                                     \
    (cdHandle source, cdHandle * enumeration), (source, enumeration))                              \
  X(144, CDEnumRelCamSettingNext, "CDEnumRelCamSettingNext",                                       \
    (cdHandle enumeration, void* setting), (enumeration, setting))                                 \
  X(145, CDGetRelCamSettingCount, "CDGetRelCamSettingCount",                                       \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(146, CDEnumRelCamSettingRelease, "CDEnumRelCamSettingRelease", (cdHandle enumeration),         \
    (enumeration))                                                                                 \
  X(147, CDGetRelCamSettingData, "CDGetRelCamSettingData",                                         \
    (cdHandle source, cdUInt32 setting, cdUInt32 * size, void* value),                             \
    (source, setting, size, value))                                                                \
  X(148, CDSetRelCamSettingData, "CDSetRelCamSettingData",                                         \
    (cdHandle source, cdUInt32 setting, cdUInt32 size, const void* value),                         \
    (source, setting, size, value))                                                                \
  X(149, CDEnumRelCamSettingDataReset, "CDEnumRelCamSettingDataReset",                             \
    (cdHandle source, cdUInt32 setting, cdHandle * enumeration, cdUInt32 * valueSize),             \
    (source, setting, enumeration, valueSize))                                                     \
  X(150, CDEnumRelCamSettingDataNext, "CDEnumRelCamSettingDataNext",                               \
    (cdHandle enumeration, cdUInt32 valueSize, void* value), (enumeration, valueSize, value))      \
  X(151, CDEnumRelCamSettingDataRelease, "CDEnumRelCamSettingDataRelease", (cdHandle enumeration), \
    (enumeration))                                                                                 \
  X(152, CDGetRelCamSettingDataCount, "CDGetRelCamSettingDataCount",                               \
    (cdHandle enumeration, cdUInt32 * count), (enumeration, count))                                \
  X(153, CDGetImagePropertyPart, "CDGetImagePropertyPart",                                         \
    (cdHandle item, cdUInt32 part, cdUInt32 * size, void* data), (item, part, size, data))

// One function-pointer type per entry point, named after it with "Fn":
// CDOpenSourceFn, CDEnumDeviceNextFn, ...
#define CDSDK_DECLARE_FUNCTION_TYPE(number, name, exportName, parameters, arguments)               \
  using name##Fn = cdError(CDAPI*) parameters;
CDSDK_ENTRY_POINTS(CDSDK_DECLARE_FUNCTION_TYPE)
#undef CDSDK_DECLARE_FUNCTION_TYPE

// Number of entry points in CDSDK_ENTRY_POINTS.
#define CDSDK_COUNT_ENTRY_POINT(number, name, exportName, parameters, arguments) +1
inline constexpr int CDEntryPointCount = 0 CDSDK_ENTRY_POINTS(CDSDK_COUNT_ENTRY_POINT);
#undef CDSDK_COUNT_ENTRY_POINT
static_assert(CDEntryPointCount == 153);

} // namespace vostrel
