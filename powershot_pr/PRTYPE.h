#pragma once
// Types, records, constants and entry points of PRSDK.DLL, the camera library
// that drives the newer PowerShot cameras. The binding resolves the entry
// points listed in PRSDK_ENTRY_POINTS in that order; the simulated library
// defines them with the same prototypes.
//
// Every entry point returns a 32-bit PR response code, 0 meaning success. The
// camera handle and the callback context are 32-bit values on every build.
// Records keep their byte offsets on 32-bit builds; a record holding a
// pointer widens on 64-bit builds.

#include <array>
#include <cstddef>
#include <cstdint>

// Calling convention of the SDK's functions and of the callbacks it calls.
#if defined(_WIN32) && !defined(_WIN64)
#define PRAPI __stdcall
#define PRCALLBACK __stdcall
#else
#define PRAPI
#define PRCALLBACK
#endif

namespace vostrel {

// ---------------------------------------------------------------------------
// Basic types

using prResponse = std::uint32_t;
using prUInt16 = std::uint16_t;
using prUInt32 = std::uint32_t;
using prHandle = std::uint32_t;       // a camera object of the SDK
using prObjectHandle = std::uint32_t; // a released picture in the camera
using prContext = std::uint32_t;      // handed back to the callbacks unchanged

inline constexpr prResponse prOK = 0;

// ---------------------------------------------------------------------------
// Callbacks: camera handle, context, and the call's own data.

// A camera event; eventData points to a 412-byte PR event record.
using prSetEventCB = prResponse(PRCALLBACK*)(prHandle camera, prContext context,
                                             const void* eventData);
// A block of a transfer; progress points to a PRProgressRecord.
using prGetFileDataCB = prResponse(PRCALLBACK*)(prHandle camera, prObjectHandle object,
                                                prContext context, const void* progress);
// A viewfinder frame of `size` bytes.
using prViewFinderCB = prResponse(PRCALLBACK*)(prHandle camera, prContext context, prUInt32 size,
                                               const std::uint8_t* frame);

// ---------------------------------------------------------------------------
// The device list that PR_GetDeviceList fills

// One attached camera. The host reads only the model name; the entry is
// otherwise opaque and is handed back whole to PR_CreateCameraObject.
struct prDeviceInfo {
  std::uint8_t DeviceInternalName[1024]; // the SDK's own address of the camera
  char16_t ModelName[32];                // UTF-16, zero-terminated
  prUInt16 Generation;
  prUInt16 Reserved1;
  prUInt32 ModelID;
  prUInt16 Reserved2;
  prUInt16 PortType;
  prUInt32 Reserved3;
  prUInt32 Reserved4;
};
static_assert(offsetof(prDeviceInfo, ModelName) == 1024);
static_assert(offsetof(prDeviceInfo, Generation) == 1088);
static_assert(offsetof(prDeviceInfo, ModelID) == 1092);
static_assert(sizeof(prDeviceInfo) == 1108);

// The largest device list: a 32-bit count, then up to 100 entries.
inline constexpr std::size_t prMaxDevices = 100;
struct prDeviceList {
  prUInt32 NumList;
  prDeviceInfo DeviceInfo[prMaxDevices];
};
static_assert(offsetof(prDeviceList, DeviceInfo) == 4);
static_assert(sizeof(prDeviceList) == 110804);

// ---------------------------------------------------------------------------
// Device properties (16-bit codes) and operations

inline constexpr prUInt16 prPropBatteryKind = 0xD002;   // 16-bit: 1 AC ... 5 alkaline
inline constexpr prUInt16 prPropBatteryStatus = 0xD003; // 32-bit: 1 normal, 2 weak, 3 low
inline constexpr prUInt16 prPropOwnerName = 0xD033;     // prOwnerNameBlock
inline constexpr prUInt16 prPropCameraTime = 0xD034;    // 32-bit: seconds since 1970-01-01
inline constexpr prUInt16 prPropBodyID = 0xD049;        // 32-bit
// 16-bit: 1, 2, 3 thumbnail, picture, both to the PC; 4, 8, 12 to the card.
inline constexpr prUInt16 prPropReleaseDestination = 0xD029;

// The zoom: the position (16-bit; its description gives the range) and the
// position where the digital zoom starts (16-bit; 255 when there is none).
inline constexpr prUInt16 prPropZoomPosition = 0xD02A;
inline constexpr prUInt16 prPropDigitalZoomStart = 0xD03D;
inline constexpr prUInt16 prNoDigitalZoom = 255;
// 8-bit: 1 LCD, 2 video, 3 off.
inline constexpr prUInt16 prPropViewfinderOutput = 0xD036;

// Selectors of PR_RC_DoAeAfAwb.
inline constexpr prUInt32 prAutoExposure = 1;
inline constexpr prUInt32 prAutoFocus = 2;
inline constexpr prUInt32 prAutoWhiteBalance = 4;

// The owner-name value: the character count with the terminating zero, then
// the zero-terminated text.
inline constexpr std::size_t prOwnerNameBlockSize = 260;
inline constexpr std::size_t prOwnerNameTextSize = 256;
struct prOwnerNameBlock {
  prUInt32 Length;
  char Text[prOwnerNameTextSize];
};
static_assert(offsetof(prOwnerNameBlock, Text) == 4);
static_assert(sizeof(prOwnerNameBlock) == prOwnerNameBlockSize);

// Operations that the device information lists for a capable camera.
inline constexpr prUInt16 prOpInitiateReleaseControl = 0x9008;
inline constexpr prUInt16 prOpInitiateViewfinder = 0x900B;
inline constexpr prUInt16 prOpFocusLock = 0x9014;

// The buffer that the host offers PR_GetDeviceInfo.
inline constexpr std::size_t prDeviceInfoBufferSize = 1048576;

// A PR camera event as the SDK hands it to the event handler. The controller
// keeps whole copies of released-object events until their data is fetched.
inline constexpr std::size_t PREventRecordSize = 412;
using PREventRecord = std::array<std::uint8_t, PREventRecordSize>;

// Byte offsets within a PR event record.
inline constexpr std::size_t PREventCodeOffset = 6;       // 16-bit event code
inline constexpr std::size_t PREventObjectOffset = 12;    // 32-bit object handle
inline constexpr std::size_t PREventParameterOffset = 16; // 32-bit first parameter

// The progress record of a PR data transfer, handed to the picture data
// handler once per block and once more, with length 0, at the end.
struct PRProgressRecord {
  std::uint32_t Message;
  std::uint32_t Status;
  std::uint32_t Percentage; // of the whole transfer
  std::uint32_t Offset;
  std::int32_t Length; // bytes in this block
  std::uint32_t Reserved[2];
  const std::uint8_t* Data; // the block
};

static_assert(offsetof(PRProgressRecord, Percentage) == 8);
static_assert(offsetof(PRProgressRecord, Length) == 16);
#if INTPTR_MAX == INT32_MAX
static_assert(offsetof(PRProgressRecord, Data) == 28);
static_assert(sizeof(PRProgressRecord) == 32);
#else
static_assert(offsetof(PRProgressRecord, Data) == 32);
static_assert(sizeof(PRProgressRecord) == 40);
#endif

// ---------------------------------------------------------------------------
// Entry points, in the order in which the binding resolves them:
// X(number, name, result type, (parameters)).

#define PRSDK_ENTRY_POINTS(X)                                                                      \
  X(1, PR_StartSDK, prResponse, (void))                                                            \
  X(2, PR_FinishSDK, prResponse, (void))                                                           \
  X(3, PR_GetDllsVersion, prResponse, (prUInt32 * bufferSize, void* versionInfo))                  \
  X(4, PR_GetDeviceList, prResponse, (prUInt32 * bufferSize, prDeviceList * deviceList))           \
  X(5, PR_CreateCameraObject, prResponse, (const prDeviceInfo* device, prHandle* camera))          \
  X(6, PR_DestroyCameraObject, prResponse, (prHandle camera))                                      \
  X(7, PR_ConnectCamera, prResponse, (prHandle camera))                                            \
  X(8, PR_DisconnectCamera, prResponse, (prHandle camera))                                         \
  X(9, PR_SetEventCallBack, prResponse,                                                            \
    (prHandle camera, prContext context, prSetEventCB callback))                                   \
  X(10, PR_ClearEventCallBack, prResponse, (prHandle camera))                                      \
  X(11, PR_GetDeviceInfo, prResponse, (prHandle camera, prUInt32 * bufferSize, void* deviceInfo))  \
  X(12, PR_InitiateReleaseControl, prResponse, (prHandle camera))                                  \
  X(13, PR_TerminateReleaseControl, prResponse, (prHandle camera))                                 \
  X(14, PR_RC_Release, prResponse, (prHandle camera))                                              \
  X(15, PR_RC_GetReleasedData, prResponse,                                                         \
    (prHandle camera, prObjectHandle object, prUInt16 eventCode, prUInt32 transferSize,            \
     prContext context, prGetFileDataCB callback))                                                 \
  X(16, PR_RC_GetNumAvailableShot, prResponse, (prHandle camera, prUInt32 * count))                \
  X(17, PR_RC_StartViewFinder, prResponse,                                                         \
    (prHandle camera, prContext context, prViewFinderCB callback))                                 \
  X(18, PR_RC_TermViewFinder, prResponse, (prHandle camera))                                       \
  X(19, PR_RC_DoAeAfAwb, prResponse, (prHandle camera, prUInt32 selector))                         \
  X(20, PR_RC_FocusLock, prResponse, (prHandle camera))                                            \
  X(21, PR_RC_FocusUnlock, prResponse, (prHandle camera))                                          \
  X(22, PR_GetDevicePropDesc, prResponse,                                                          \
    (prHandle camera, prUInt16 property, prUInt32 * bufferSize, void* desc))                       \
  X(23, PR_GetDevicePropValue, prResponse,                                                         \
    (prHandle camera, prUInt16 property, prUInt32 * bufferSize, void* value))                      \
  X(24, PR_SetDevicePropValue, prResponse,                                                         \
    (prHandle camera, prUInt16 property, prUInt32 size, const void* value))                        \
  X(25, PR_RC_GetChangedReleaseParamesList, prResponse,                                            \
    (prHandle camera, prUInt32 * bufferSize, void* list))

// One function-pointer type per entry point, named after it with "Fn":
// PR_ConnectCameraFn, PR_GetDeviceListFn, ...
#define PRSDK_DECLARE_FUNCTION_TYPE(number, name, result, parameters)                              \
  using name##Fn = result(PRAPI*) parameters;
PRSDK_ENTRY_POINTS(PRSDK_DECLARE_FUNCTION_TYPE)
#undef PRSDK_DECLARE_FUNCTION_TYPE

// Number of entry points in PRSDK_ENTRY_POINTS.
#define PRSDK_COUNT_ENTRY_POINT(number, name, result, parameters) +1
inline constexpr int PREntryPointCount = 0 PRSDK_ENTRY_POINTS(PRSDK_COUNT_ENTRY_POINT);
#undef PRSDK_COUNT_ENTRY_POINT
static_assert(PREntryPointCount == 25);

} // namespace vostrel
