#pragma once
// The camera vocabulary that every layer speaks: the public enumerations of
// the automation interface, the controller's one-byte twins of some of them,
// and the records in which camera state and shooting parameters travel
// between the control, the controller and the backends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Calling convention of every function handed to a camera SDK: the SDKs call
// back with __stdcall on 32-bit Windows and with the platform default
// everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define VOSTREL_CALLBACK __stdcall
#else
#define VOSTREL_CALLBACK
#endif

namespace vostrel {

// Days since 1899-12-30, the time of day as the fraction.
using TDateTime = double;

// ---------------------------------------------------------------------------
// Public enumerations. Values travel as 32-bit integers at the automation
// interface and as single bytes inside the system.

enum TxCamModType : std::int32_t { CamModNone = 0, CamModPowerShot = 1, CamModEOS = 2 };

enum TxReleaseModeType : std::int32_t {
  ReleaseModeOnlyToPC = 0,
  ReleaseModeBothPCAndCamera = 1,
  ReleaseModeOnlyToCamera = 2
};

enum TxReleaseDataKindType : std::int32_t {
  ReleaseDataKindTakeOnlyThumbnail = 0,
  ReleaseDataKindTakeOnlyPicture = 1,
  ReleaseDataKingTakeBothThumbAndPic = 2
};

enum TxRemoteParamType : std::int32_t {
  RemoteParamCompQuality = 0,
  RemoteParamCompQualityPic2RAW = 1,
  RemoteParamImageSize = 2,
  RemoteParamImageSizePic2RAW = 3,
  RemoteParamStrobeSetting = 4,
  RemoteParamStrobeCompSetting = 5,
  RemoteParamDriveMode = 6,
  RemoteParamImageMode = 7,
  RemoteParamMLWeiMode = 8,
  RemoteParamAFMode = 9,
  RemoteParamAFDistance = 10,
  RemoteParamAFFocusingPoint = 11,
  RemoteParamAFAssistLight = 12,
  RemoteParamWhiteBalanceSetting = 13,
  RemoteParamWhiteBalanceKelvin = 14,
  RemoteParamWhiteBalanceShift = 15,
  RemoteParamPictureStyle = 16,
  RemoteParamContrast = 17,
  RemoteParamColorGain = 18,
  RemoteParamSharpness = 19,
  RemoteParamColorSpace = 20,
  RemoteParamISO = 21,
  RemoteParamAv = 22,
  RemoteParamTv = 23,
  RemoteParamExposureCompensation = 24,
  RemoteParamPhotoEffect = 25,
  RemoteParamBeep = 26
};

enum TxPictureTypeType : std::int32_t { PictureTypeThumbnail = 0, PictureTypeFull = 1 };

enum TxRemoteParamPictureStyleType : std::int32_t {
  RemoteParamPictureStyleEnabled = 0,
  RemoteParamPictureStyleContrast = 1,
  RemoteParamPictureStyleSharpness = 2,
  RemoteParamPictureStyleSaturation = 3,
  RemoteParamPictureStyleSaturationUsed = 4,
  RemoteParamPictureStyleColorTone = 5,
  RemoteParamPictureStyleColorToneUsed = 6,
  RemoteParamPictureStyleMonochromeFilter = 7,
  RemoteParamPictureStyleMonochromeFilterUsed = 8,
  RemoteParamPictureStyleMonochromeTone = 9,
  RemoteParamPictureStyleMonochromeToneUsed = 10
};

enum TxRemoteParamWhitebalanceShiftType : std::int32_t {
  RemoteParamWhitebalanceShiftWBShiftEnabled = 0,
  RemoteParamWhitebalanceShiftAmberBlue = 1,
  RemoteParamWhitebalanceShiftGreenMagenta = 2
};

enum TxMonochromeFilterType : std::int32_t {
  MonochromeFilterNone = 0,
  MonochromeFilterYellow = 1,
  MonochromeFilterOrange = 2,
  MonochromeFilterRed = 3,
  MonochromeFilterGreen = 4
};

enum TxMonochromeToneType : std::int32_t {
  MonochromeToneNone = 0,
  MonochromeToneSepia = 1,
  MonochromeToneBlue = 2,
  MonochromeToneViolet = 3,
  MonochromeToneGreen = 4
};

enum TxRemoteViewFinderOutputType : std::int32_t {
  RemoteViewFinderOutputLCD = 0,
  RemoteViewFinderOutputVideo = 1,
  RemoteViewFinderOutputOff = 2
};

enum TxRAWParamType : std::int32_t {
  RAWParamWhiteBalanceSetting = 0,
  RAWParamWhiteBalanceKelvin = 1
};

enum TxFileFormatType : std::int32_t {
  FileFormatTIFF = 0,
  FileFormatThumbnail = 1,
  FileFormatJPEGInRaw = 2,
  FileFormatJPEG = 3
};

enum TxBitsPerPixelType : std::int32_t { BitsPerPixel24Bits = 0, BitsPerPixel48Bits = 1 };

enum TxBatterySourceType : std::int32_t {
  BatterySourceUnknown = 0,
  BatterySourceAC = 1,
  BatterySourceLitium = 2,
  BatterySourceNiMH = 3,
  BatterySourceNiCD = 4,
  BatterySourceAlMN = 5
};

enum TxBatteryStatusType : std::int32_t {
  BatteryStatusUnknown = 0,
  BatteryStatusNormal = 1,
  BatteryStatusWeak = 2,
  BatteryStatusSafetyLow = 3
};

enum TxEventSeverityType : std::int32_t {
  EventSeverityNotUsed = 0,
  EventSeverityInfo = 1,
  EventSeverityWarning = 2,
  EventSeverityClosing = 3
};

enum TxEventEnumType : std::int32_t {
  EventNotUsed = 0,
  EventBatteryLevelNormal = 1,
  EventBatteryLevelWeak = 2,
  EventBatteryLevelSafetyLow = 3,
  EventBatteryLevelLB = 4,
  EventDialChanged = 5,
  EventCFGateOpened = 6,
  EventBatteryCoverOpened = 7,
  EventConnectionDisappeared = 8,
  EventUnrecoverableError = 9,
  EventUnkonwnCommandReceived = 10,
  EventRemoteParameterChanged = 11,
  EventRemoteCaptureError = 12,
  EventRemoteShutdownReasonNotKnown = 13,
  EventRemoteNewSupportedParameters = 14
};

enum TxRemoteEventCallbackType : std::int32_t {
  RemoteEventCallbackNotUsed = 0,
  RemoteEventCallbackReleaseStart = 1,
  RemoteEventCallbackReleaseComplete = 2,
  RemoteEventCallbackResetHWError = 3,
  RemoteEventCallbackChangedByUI = 4,
  RemoteEventCallbackCamReleaseOn = 5,
  RemoteEventCallbackViewfinderOn = 6,
  RemoteEventCallbackViewfinderOff = 7,
  RemoteEventCallbackReleaseImageReady = 8
};

enum TxNotifyRemoteEventValidType : std::int32_t {
  NoNotifyRemoteEventValid = 0,
  NotifyRemoteEventValid1 = 1,
  NotifyRemoteEventValid2 = 2
};

enum TxypeOfPictureType : std::int32_t {
  TypeOfPictureNo = 0,
  TypeOfPictureThumbnail = 1,
  TypeOfPicturePicture = 2
};

// ---------------------------------------------------------------------------
// The controller's own one-byte enumerations: the same members and numbering
// as their public twins, scoped so that the names do not collide.

enum class ReleaseModeType : std::uint8_t {
  ReleaseModeOnlyToPC = ::vostrel::ReleaseModeOnlyToPC,
  ReleaseModeBothPCAndCamera = ::vostrel::ReleaseModeBothPCAndCamera,
  ReleaseModeOnlyToCamera = ::vostrel::ReleaseModeOnlyToCamera
};

enum class ReleaseDataKindType : std::uint8_t {
  ReleaseDataKindTakeOnlyThumbnail = ::vostrel::ReleaseDataKindTakeOnlyThumbnail,
  ReleaseDataKindTakeOnlyPicture = ::vostrel::ReleaseDataKindTakeOnlyPicture,
  ReleaseDataKingTakeBothThumbAndPic = ::vostrel::ReleaseDataKingTakeBothThumbAndPic
};

enum class EventSeverityType : std::uint8_t {
  EventSeverityNotUsed = ::vostrel::EventSeverityNotUsed,
  EventSeverityInfo = ::vostrel::EventSeverityInfo,
  EventSeverityWarning = ::vostrel::EventSeverityWarning,
  EventSeverityClosing = ::vostrel::EventSeverityClosing
};

enum class EventEnumType : std::uint8_t {
  EventNotUsed = ::vostrel::EventNotUsed,
  EventBatteryLevelNormal = ::vostrel::EventBatteryLevelNormal,
  EventBatteryLevelWeak = ::vostrel::EventBatteryLevelWeak,
  EventBatteryLevelSafetyLow = ::vostrel::EventBatteryLevelSafetyLow,
  EventBatteryLevelLB = ::vostrel::EventBatteryLevelLB,
  EventDialChanged = ::vostrel::EventDialChanged,
  EventCFGateOpened = ::vostrel::EventCFGateOpened,
  EventBatteryCoverOpened = ::vostrel::EventBatteryCoverOpened,
  EventConnectionDisappeared = ::vostrel::EventConnectionDisappeared,
  EventUnrecoverableError = ::vostrel::EventUnrecoverableError,
  EventUnkonwnCommandReceived = ::vostrel::EventUnkonwnCommandReceived,
  EventRemoteParameterChanged = ::vostrel::EventRemoteParameterChanged,
  EventRemoteCaptureError = ::vostrel::EventRemoteCaptureError,
  EventRemoteShutdownReasonNotKnown = ::vostrel::EventRemoteShutdownReasonNotKnown,
  EventRemoteNewSupportedParameters = ::vostrel::EventRemoteNewSupportedParameters
};

enum class RemoteEventCallbackType : std::uint8_t {
  RemoteEventCallbackNotUsed = ::vostrel::RemoteEventCallbackNotUsed,
  RemoteEventCallbackReleaseStart = ::vostrel::RemoteEventCallbackReleaseStart,
  RemoteEventCallbackReleaseComplete = ::vostrel::RemoteEventCallbackReleaseComplete,
  RemoteEventCallbackResetHWError = ::vostrel::RemoteEventCallbackResetHWError,
  RemoteEventCallbackChangedByUI = ::vostrel::RemoteEventCallbackChangedByUI,
  RemoteEventCallbackCamReleaseOn = ::vostrel::RemoteEventCallbackCamReleaseOn,
  RemoteEventCallbackViewfinderOn = ::vostrel::RemoteEventCallbackViewfinderOn,
  RemoteEventCallbackViewfinderOff = ::vostrel::RemoteEventCallbackViewfinderOff,
  RemoteEventCallbackReleaseImageReady = ::vostrel::RemoteEventCallbackReleaseImageReady
};

enum class NotifyRemoteEventValidType : std::uint8_t {
  NoNotifyRemoteEventValid = ::vostrel::NoNotifyRemoteEventValid,
  NotifyRemoteEventValid1 = ::vostrel::NotifyRemoteEventValid1,
  NotifyRemoteEventValid2 = ::vostrel::NotifyRemoteEventValid2
};

enum class TypeOfPictureType : std::uint8_t {
  TypeOfPictureNo = ::vostrel::TypeOfPictureNo,
  TypeOfPictureThumbnail = ::vostrel::TypeOfPictureThumbnail,
  TypeOfPicturePicture = ::vostrel::TypeOfPicturePicture
};

// ---------------------------------------------------------------------------
// RemoteParamsType: one value of every remote parameter, in public values
// (0 = no value). Stored byte for byte in the remote parameter file, so the
// layout is fixed: 44 bytes, little-endian. Boolean fields are bytes (0 or
// 1) so that any byte read from a file is a valid value.

struct RemoteParamsType {
  std::uint8_t CompQuality;                      //  0
  std::uint8_t CompQualityPic2RAW;               //  1
  std::uint8_t ImageSize;                        //  2
  std::uint8_t ImageSizePic2RAW;                 //  3
  std::uint8_t StrobeSetting;                    //  4
  std::uint8_t StrobeCompSetting;                //  5
  std::uint8_t ImageMode;                        //  6 (before the drive mode)
  std::uint8_t DriveMode;                        //  7
  std::uint8_t MLWeiMode;                        //  8
  std::uint8_t AFMode;                           //  9
  std::uint8_t AFDistance;                       // 10
  std::uint8_t AFFocusingPoint;                  // 11
  std::uint8_t AFAssistLight;                    // 12
  std::uint8_t WhiteBalanceSetting;              // 13 (13 = colour temperature)
  std::uint8_t Reserved[2];                      // 14, always zero
  std::int32_t WhiteBalanceKelvin;               // 16
  std::uint8_t WBShiftEnabled;                   // 20
  std::int8_t WBShiftAmberBlue;                  // 21
  std::int8_t WBShiftGreenMagenta;               // 22
  std::uint8_t PictureStyleEnabled;              // 23
  std::int8_t PictureStyleContrast;              // 24
  std::uint8_t PictureStyleSharpness;            // 25
  std::int8_t PictureStyleSaturation;            // 26
  std::uint8_t PictureStyleSaturationUsed;       // 27
  std::int8_t PictureStyleColorTone;             // 28
  std::uint8_t PictureStyleColorToneUsed;        // 29
  std::uint8_t PictureStyleMonochromeFilter;     // 30 (TxMonochromeFilterType)
  std::uint8_t PictureStyleMonochromeFilterUsed; // 31
  std::uint8_t PictureStyleMonochromeTone;       // 32 (TxMonochromeToneType)
  std::uint8_t PictureStyleMonochromeToneUsed;   // 33
  std::uint8_t Contrast;                         // 34
  std::uint8_t ColorGain;                        // 35
  std::uint8_t Sharpness;                        // 36
  std::uint8_t ColorSpace;                       // 37
  std::uint8_t ISO;                              // 38
  std::uint8_t Av;                               // 39
  std::uint8_t Tv;                               // 40
  std::uint8_t ExposureCompensation;             // 41
  std::uint8_t PhotoEffect;                      // 42
  std::uint8_t Beep;                             // 43
};

static_assert(sizeof(RemoteParamsType) == 44);
static_assert(alignof(RemoteParamsType) <= 4);
static_assert(offsetof(RemoteParamsType, ImageMode) == 6);
static_assert(offsetof(RemoteParamsType, DriveMode) == 7);
static_assert(offsetof(RemoteParamsType, WhiteBalanceSetting) == 13);
static_assert(offsetof(RemoteParamsType, Reserved) == 14);
static_assert(offsetof(RemoteParamsType, WhiteBalanceKelvin) == 16);
static_assert(offsetof(RemoteParamsType, WBShiftEnabled) == 20);
static_assert(offsetof(RemoteParamsType, WBShiftGreenMagenta) == 22);
static_assert(offsetof(RemoteParamsType, PictureStyleEnabled) == 23);
static_assert(offsetof(RemoteParamsType, PictureStyleMonochromeToneUsed) == 33);
static_assert(offsetof(RemoteParamsType, Contrast) == 34);
static_assert(offsetof(RemoteParamsType, ISO) == 38);
static_assert(offsetof(RemoteParamsType, Av) == 39);
static_assert(offsetof(RemoteParamsType, Tv) == 40);
static_assert(offsetof(RemoteParamsType, Beep) == 43);

// ---------------------------------------------------------------------------
// SupportedParamValuesType: 309 flags (bytes, 0 or 1) saying which public
// values the connected camera offers. Each parameter kind owns one row of
// consecutive bytes, one per value from 0 to its highest value; the white-
// balance shift and the picture style have a single "supported" flag; the
// Kelvin value has no row. SupportedParamRows is the one description of the
// rows that every unit uses.

struct SupportedParamRow {
  TxRemoteParamType Kind;
  std::size_t Offset;
  std::size_t Length;
};

inline constexpr std::array<SupportedParamRow, 26> SupportedParamRows{{
    {RemoteParamCompQuality, 0, 6},
    {RemoteParamCompQualityPic2RAW, 6, 6},
    {RemoteParamImageSize, 12, 7},
    {RemoteParamImageSizePic2RAW, 19, 7},
    {RemoteParamStrobeSetting, 26, 8},
    {RemoteParamStrobeCompSetting, 34, 14},
    {RemoteParamDriveMode, 48, 8},
    {RemoteParamImageMode, 56, 37},
    {RemoteParamMLWeiMode, 93, 7},
    {RemoteParamAFMode, 100, 5},
    {RemoteParamAFDistance, 105, 13},
    {RemoteParamAFFocusingPoint, 118, 8},
    {RemoteParamAFAssistLight, 126, 3},
    {RemoteParamWhiteBalanceSetting, 129, 17},
    {RemoteParamWhiteBalanceShift, 146, 1},
    {RemoteParamPictureStyle, 147, 1},
    {RemoteParamContrast, 148, 4},
    {RemoteParamColorGain, 152, 4},
    {RemoteParamSharpness, 156, 4},
    {RemoteParamColorSpace, 160, 3},
    {RemoteParamISO, 163, 21},
    {RemoteParamAv, 184, 41},
    {RemoteParamTv, 225, 60},
    {RemoteParamExposureCompensation, 285, 14},
    {RemoteParamPhotoEffect, 299, 7},
    {RemoteParamBeep, 306, 3},
}};

inline constexpr std::size_t SupportedParamValuesSize = 309;

// The row of a kind, or null for a kind without one (the Kelvin value, or a
// number outside TxRemoteParamType).
constexpr const SupportedParamRow* FindSupportedParamRow(std::int32_t kind) {
  for (const SupportedParamRow& row : SupportedParamRows) {
    if (row.Kind == kind) {
      return &row;
    }
  }
  return nullptr;
}

namespace detail {
// The rows follow each other without gap or overlap and fill the table.
constexpr bool SupportedParamRowsAreContiguous() {
  std::size_t next = 0;
  for (const SupportedParamRow& row : SupportedParamRows) {
    if (row.Offset != next || row.Length == 0) {
      return false;
    }
    next += row.Length;
  }
  return next == SupportedParamValuesSize;
}
} // namespace detail

static_assert(detail::SupportedParamRowsAreContiguous());
static_assert(FindSupportedParamRow(RemoteParamWhiteBalanceKelvin) == nullptr);
static_assert(FindSupportedParamRow(RemoteParamTv)->Offset == 225);
static_assert(FindSupportedParamRow(RemoteParamExposureCompensation)->Offset == 285);

struct SupportedParamValuesType {
  std::array<std::uint8_t, SupportedParamValuesSize> Flags;

  // True when the kind has a row, the value lies within it and its flag is
  // set. For the two single-flag kinds the value is ignored.
  bool IsSupported(std::int32_t kind, std::int32_t value) const;
  // Sets or clears one flag; values outside the kind's row are ignored.
  void SetSupported(std::int32_t kind, std::int32_t value, bool supported);
  // Clears every flag of the kind's row.
  void ClearRow(std::int32_t kind);
};

inline bool SupportedParamValuesType::IsSupported(std::int32_t kind, std::int32_t value) const {
  const SupportedParamRow* row = FindSupportedParamRow(kind);
  if (row == nullptr) {
    return false;
  }
  if (row->Length == 1) {
    value = 0;
  }
  if (value < 0 || static_cast<std::size_t>(value) >= row->Length) {
    return false;
  }
  return Flags[row->Offset + static_cast<std::size_t>(value)] != 0;
}

inline void SupportedParamValuesType::SetSupported(std::int32_t kind, std::int32_t value,
                                                   bool supported) {
  const SupportedParamRow* row = FindSupportedParamRow(kind);
  if (row == nullptr) {
    return;
  }
  if (row->Length == 1) {
    value = 0;
  }
  if (value < 0 || static_cast<std::size_t>(value) >= row->Length) {
    return;
  }
  Flags[row->Offset + static_cast<std::size_t>(value)] = supported ? 1 : 0;
}

inline void SupportedParamValuesType::ClearRow(std::int32_t kind) {
  if (const SupportedParamRow* row = FindSupportedParamRow(kind)) {
    for (std::size_t i = 0; i < row->Length; ++i) {
      Flags[row->Offset + i] = 0;
    }
  }
}

static_assert(sizeof(SupportedParamValuesType) == SupportedParamValuesSize);
static_assert(alignof(SupportedParamValuesType) == 1);

// ---------------------------------------------------------------------------
// Records of the controller/backend seam.

// The connected camera, filled by a backend's Connect. The model byte (a
// TxCamModType value) is the controller's connection state.
struct ConnectInfoType {
  std::uint8_t CameraModel = CamModNone;
  std::string CameraModelName;
  std::string OwnerName;
  std::uint8_t BatterySource = BatterySourceUnknown; // TxBatterySourceType
  std::uint8_t BatteryStatus = BatteryStatusUnknown; // TxBatteryStatusType
};

// What a camera offers in remote mode, filled by a backend's RemoteStart.
struct RemoteStartInfoType {
  bool DoSupportZoom;
  bool DoSupportShootingPara;
  bool DoSupportViewfinder;
  bool ReqViewfinderOffWhenShooting;
  bool DoSupportAfLockUnlock;
  SupportedParamValuesType SupportedParamValues;
};

static_assert(offsetof(RemoteStartInfoType, SupportedParamValues) == 5);
static_assert(sizeof(RemoteStartInfoType) == 5 + SupportedParamValuesSize);

struct ZoomPosType {
  std::int32_t CurrentZoomPos;
  std::int32_t MaxOpticalZoomPos;
  std::int32_t MaxZoomPos;
};

static_assert(sizeof(ZoomPosType) == 12);

inline constexpr std::uint8_t WhiteBalanceColorTemperature = 13;

struct RAWDevelopParamsType {
  std::uint8_t WhiteBalanceSetting; // public value; 13 selects WhiteBalanceKelvin
  std::int32_t WhiteBalanceKelvin;
};

// One flag per RAW white-balance setting value 0 to 16.
struct RAWSupportedType {
  std::array<bool, 17> WhiteBalanceSetting;
};

static_assert(sizeof(RAWSupportedType) == 17);

// A card picture's JPEG thumbnail (core/JPEGImage.h): keeps the bytes it was
// loaded from and saves them unchanged.
class TJPEGImage;

struct ImageDataType {
  std::string Name;
  std::uint8_t BackendData = 0;          // private to the backend that filled the list
  std::shared_ptr<TJPEGImage> Thumbnail; // present when thumbnails were asked for
};

using ImageListType = std::vector<ImageDataType>;

// A list of camera model names.
using NameListType = std::vector<std::string>;

// The two model-name lists of the last enumeration. They stay owned by the
// controller layer and are released by CloseCameraEnumeration; a holder of
// this record finds them expired then instead of reading freed lists.
struct EnumerationListsType {
  std::weak_ptr<const NameListType> PowerShotNameList;
  std::weak_ptr<const NameListType> EOSNameList;
};

} // namespace vostrel
