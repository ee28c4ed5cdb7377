// The 153 entry points of the simulated CDSDK.DLL. Every entry point of the
// SDK's table is defined here once; those that the simulated cameras serve
// have a specialization of `simulate`, the others log their call and answer
// "not supported". Each one logs its call, honours an injected failure, and
// turns every C++ exception into a CD result code: nothing thrown crosses
// into the host. Calls are logged, and failures injected, under the plain
// function names (CDGetReleaseControlFaculty).

#include "sim/SimControl.h"
#include "sim/cdsdk/CdSimulator.h"

#include <string>

namespace vostrel::sim::cd {

namespace {

// Each entry point's number in the table.
enum EntryNumber : int {
#define VOSTREL_SIM_CD_NUMBER(number, name, exportName, parameters, arguments) name##Entry = number,
  CDSDK_ENTRY_POINTS(VOSTREL_SIM_CD_NUMBER)
#undef VOSTREL_SIM_CD_NUMBER
};

// The plain names, by number.
constexpr const char* EntryNames[] = {"",
#define VOSTREL_SIM_CD_NAME(number, name, exportName, parameters, arguments) #name,
                                      CDSDK_ENTRY_POINTS(VOSTREL_SIM_CD_NAME)
#undef VOSTREL_SIM_CD_NAME
};

enum class Needs { Nothing, Sdk };

constexpr EntryCodes Codes{cdInvalidFunctionCall, cdMemoryAllocationFailed, cdInternalError};

// Runs one call: `arguments` adds the logged arguments, `body` does the work
// and raises SdkFailure (fail) for a CD result code.
template <typename Arguments, typename Body>
cdError entry(int number, Needs needs, Arguments arguments, Body body) noexcept {
  return runEntry<Call>(CdSimulator::instance(), EntryNames[number], needs == Needs::Sdk, Codes,
                        arguments, body);
}

// The entry points that take one handle.
template <typename Body>
cdError onHandle(int number, cdHandle handle, Body body) noexcept {
  return entry(
      number, Needs::Sdk, [&](Call& call) { call.argument(call.simulator().describe(handle)); },
      [&](Call& call) { body(call.simulator()); });
}

// Writes a handle the call hands out, and logs it.
void handOut(Call& call, cdHandle* target, cdHandle handle) {
  if (target == nullptr) {
    fail(cdInvalidPointer);
  }
  *target = handle;
  call.out(call.simulator().describe(handle));
}

std::string sizeArgument(const cdUInt32* size) {
  return size == nullptr ? "null" : std::to_string(*size);
}

// An entry point that the simulated cameras do not offer yet.
template <int Number, typename... Args>
cdError simulate(Args...) noexcept {
  return entry(
      Number, Needs::Sdk, [](Call&) {}, [](Call&) { fail(cdNotSupported); });
}

// --- The SDK -----------------------------------------------------------------

template <>
cdError simulate<CDStartSDKEntry>(cdVersionInfo* version, cdUInt32 option) noexcept {
  return entry(
      CDStartSDKEntry, Needs::Nothing,
      [&](Call& call) {
        call.argument(version == nullptr ? "null"
                                         : "version " + std::to_string(version->Size) + " " +
                                               std::to_string(version->Major) + "." +
                                               std::to_string(version->Minor));
        call.argument(std::to_string(option));
      },
      [&](Call& call) { call.simulator().startSdk(version); });
}

template <>
cdError simulate<CDFinishSDKEntry>() noexcept {
  // Callbacks already raised reach the host before the SDK ends.
  CdSimulator& simulator = CdSimulator::instance();
  simulator.waitIdle();
  const cdError result = entry(
      CDFinishSDKEntry, Needs::Nothing, [](Call&) {},
      [](Call& call) { call.simulator().finishSdk(); });
  simulator.joinStoppedStreams();
  simulator.events().stop();
  return result;
}

// --- Enumerations ----------------------------------------------------------------

template <>
cdError simulate<CDEnumDeviceResetEntry>(cdUInt32 kind, cdHandle* enumeration) noexcept {
  return entry(
      CDEnumDeviceResetEntry, Needs::Sdk, [&](Call& call) { call.argument(std::to_string(kind)); },
      [&](Call& call) { handOut(call, enumeration, call.simulator().enumerateDevices(kind)); });
}

template <>
cdError simulate<CDGetDeviceCountEntry>(cdHandle enumeration, cdUInt32* count) noexcept {
  return entry(
      CDGetDeviceCountEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) {
        if (count == nullptr) {
          fail(cdInvalidPointer);
        }
        *count = call.simulator().count(enumeration);
        call.out(std::to_string(*count));
      });
}

template <>
cdError simulate<CDEnumDeviceNextEntry>(cdHandle enumeration, cdSourceInfo* source) noexcept {
  return entry(
      CDEnumDeviceNextEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) { call.simulator().nextDevice(call, enumeration, source); });
}

template <>
cdError simulate<CDEnumDeviceReleaseEntry>(cdHandle enumeration) noexcept {
  return onHandle(CDEnumDeviceReleaseEntry, enumeration,
                  [&](CdSimulator& simulator) { simulator.release(enumeration); });
}

template <>
cdError simulate<CDEnumDevicePropertyResetEntry>(cdHandle source, cdUInt32 option,
                                                 cdHandle* enumeration) noexcept {
  return entry(
      CDEnumDevicePropertyResetEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(option));
      },
      [&](Call& call) {
        handOut(call, enumeration, call.simulator().enumerateProperties(source));
      });
}

template <>
cdError simulate<CDEnumDevicePropertyNextEntry>(cdHandle enumeration,
                                                cdDevicePropertyInfo* property) noexcept {
  return entry(
      CDEnumDevicePropertyNextEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) { call.simulator().nextProperty(call, enumeration, property); });
}

template <>
cdError simulate<CDEnumDevicePropertyReleaseEntry>(cdHandle enumeration) noexcept {
  return onHandle(CDEnumDevicePropertyReleaseEntry, enumeration,
                  [&](CdSimulator& simulator) { simulator.release(enumeration); });
}

template <>
cdError simulate<CDEnumVolumeResetEntry>(cdHandle source, cdHandle* enumeration) noexcept {
  return entry(
      CDEnumVolumeResetEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) { handOut(call, enumeration, call.simulator().enumerateVolumes(source)); });
}

template <>
cdError simulate<CDEnumVolumeNextEntry>(cdHandle enumeration, cdHandle* volume) noexcept {
  return entry(
      CDEnumVolumeNextEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) { handOut(call, volume, call.simulator().nextVolume(enumeration)); });
}

template <>
cdError simulate<CDEnumVolumeReleaseEntry>(cdHandle enumeration) noexcept {
  return onHandle(CDEnumVolumeReleaseEntry, enumeration,
                  [&](CdSimulator& simulator) { simulator.release(enumeration); });
}

// --- Sources and events ----------------------------------------------------------

template <>
cdError simulate<CDOpenSourceEntry>(const cdSourceInfo* source, cdHandle* sourceHandle) noexcept {
  return entry(
      CDOpenSourceEntry, Needs::Sdk,
      [&](Call& call) { call.argument(source == nullptr ? "null" : "device"); },
      [&](Call& call) { handOut(call, sourceHandle, call.simulator().openSource(source)); });
}

template <>
cdError simulate<CDCloseSourceEntry>(cdHandle source) noexcept {
  const cdError result = onHandle(CDCloseSourceEntry, source,
                                  [&](CdSimulator& simulator) { simulator.closeSource(source); });
  CdSimulator::instance().joinStoppedStreams();
  return result;
}

template <>
cdError
simulate<CDRegisterEventCallbackFunctionEntry>(cdHandle source, cdEventCallbackFunction callback,
                                               cdContext context, cdHandle* registration) noexcept {
  return entry(
      CDRegisterEventCallbackFunctionEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(handlerArgument(callback != nullptr));
        call.argument(std::to_string(context));
      },
      [&](Call& call) {
        handOut(call, registration, call.simulator().registerHandler(source, callback, context));
      });
}

template <>
cdError simulate<CDUnregisterEventCallbackFunctionEntry>(cdHandle source,
                                                         cdHandle registration) noexcept {
  return entry(
      CDUnregisterEventCallbackFunctionEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(call.simulator().describe(registration));
      },
      [&](Call& call) { call.simulator().unregisterHandler(source, registration); });
}

// --- Device properties, the card, the release control ----------------------------

template <>
cdError simulate<CDGetDevicePropertyDataEntry>(cdHandle source, cdUInt32 property, cdUInt32* size,
                                               void* data, cdUInt32 option) noexcept {
  return entry(
      CDGetDevicePropertyDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(hexArgument(property));
        call.argument(sizeArgument(size));
        call.argument(std::to_string(option));
      },
      [&](Call& call) { call.simulator().getProperty(call, source, property, size, data); });
}

template <>
cdError simulate<CDSetDevicePropertyDataEntry>(cdHandle source, cdUInt32 property,
                                               const cdUInt32* size, const void* data) noexcept {
  return entry(
      CDSetDevicePropertyDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(hexArgument(property));
        call.argument(sizeArgument(size));
        call.argument(size == nullptr ? "null" : dataArgument(data, *size));
      },
      [&](Call& call) { call.simulator().setProperty(source, property, size, data); });
}

template <>
cdError simulate<CDGetVolumeInfoEntry>(cdHandle volume, cdVolumeInfo* info) noexcept {
  return entry(
      CDGetVolumeInfoEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(volume)); },
      [&](Call& call) {
        call.simulator().volumeInfo(volume, info);
        call.out(std::to_string(info->TotalSpace) + " KB, " + std::to_string(info->FreeSpace) +
                 " KB free");
      });
}

template <>
cdError simulate<CDFormatEntry>(cdHandle volume) noexcept {
  return onHandle(CDFormatEntry, volume, [&](CdSimulator& simulator) { simulator.format(volume); });
}

template <>
cdError simulate<CDGetReleaseControlFacultyEntry>(cdHandle source, cdUInt32* faculty) noexcept {
  return entry(
      CDGetReleaseControlFacultyEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        if (faculty == nullptr) {
          fail(cdInvalidPointer);
        }
        *faculty = call.simulator().releaseControlFaculty(source);
        call.out(hexArgument(*faculty));
      });
}

template <>
cdError simulate<CDGetDevicePropertyCountEntry>(cdHandle enumeration, cdUInt32* count) noexcept {
  return entry(
      CDGetDevicePropertyCountEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) {
        if (count == nullptr) {
          fail(cdInvalidPointer);
        }
        *count = call.simulator().count(enumeration);
        call.out(std::to_string(*count));
      });
}

// --- Release control -----------------------------------------------------------

template <>
cdError simulate<CDEnterReleaseControlEntry>(cdHandle source,
                                             cdReleaseEventCallbackFunction callback,
                                             cdContext context) noexcept {
  return entry(
      CDEnterReleaseControlEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(handlerArgument(callback != nullptr));
        call.argument(std::to_string(context));
      },
      [&](Call& call) { call.simulator().enterReleaseControl(source, callback, context); });
}

template <>
cdError simulate<CDExitReleaseControlEntry>(cdHandle source) noexcept {
  const cdError result = onHandle(CDExitReleaseControlEntry, source, [&](CdSimulator& simulator) {
    simulator.exitReleaseControl(source);
  });
  CdSimulator::instance().joinStoppedStreams();
  return result;
}

template <>
cdError simulate<CDSelectReleaseDataKindEntry>(cdHandle source, cdUInt32 kind) noexcept {
  return entry(
      CDSelectReleaseDataKindEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(kind));
      },
      [&](Call& call) { call.simulator().selectReleaseDataKind(source, kind); });
}

template <>
cdError simulate<CDReleaseEntry>(cdHandle source, cdUInt32 synchronous,
                                 cdProgressCallbackFunction progress, cdContext context,
                                 cdUInt32 option, cdUInt32* count) noexcept {
  return entry(
      CDReleaseEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(synchronous));
        call.argument(handlerArgument(progress != nullptr));
        call.argument(std::to_string(context));
        call.argument(std::to_string(option));
      },
      [&](Call& call) { call.simulator().release(call, source, progress, context, count); });
}

template <>
cdError simulate<CDGetReleasedDataEntry>(cdHandle source, cdProgressCallbackFunction progress,
                                         cdContext context, cdUInt32 option, void* info,
                                         void* destination) noexcept {
  return entry(
      CDGetReleasedDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(handlerArgument(progress != nullptr));
        call.argument(std::to_string(context));
        call.argument(std::to_string(option));
      },
      [&](Call& call) {
        call.simulator().releasedData(call, source, progress, context, info, destination);
      });
}

template <>
cdError simulate<CDGetNumAvailableShotEntry>(cdHandle source, cdUInt32* count) noexcept {
  return entry(
      CDGetNumAvailableShotEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        if (count == nullptr) {
          fail(cdInvalidPointer);
        }
        *count = call.simulator().availableShots(source);
        call.out(std::to_string(*count));
      });
}

// --- Shooting settings -------------------------------------------------------------

cdError getCode(int number, std::uint32_t family, cdHandle source, cdUInt16* code) noexcept {
  return entry(
      number, Needs::Sdk, [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        if (code == nullptr) {
          fail(cdInvalidPointer);
        }
        *code = call.simulator().code(source, family);
        call.out(std::to_string(*code));
      });
}

cdError setCode(int number, std::uint32_t family, cdHandle source, cdUInt32 code) noexcept {
  return entry(
      number, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(code));
      },
      [&](Call& call) { call.simulator().setCode(source, family, code); });
}

cdError enumerateCodes(int number, std::uint32_t family, cdHandle source,
                       cdHandle* enumeration) noexcept {
  return entry(
      number, Needs::Sdk, [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        handOut(call, enumeration, call.simulator().enumerateCodes(source, family));
      });
}

cdError nextCode(int number, cdHandle enumeration, cdUInt16* code) noexcept {
  return entry(
      number, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) {
        if (code == nullptr) {
          fail(cdInvalidPointer);
        }
        *code = call.simulator().nextCode(enumeration);
        call.out(std::to_string(*code));
      });
}

cdError countItems(int number, cdHandle enumeration, cdUInt32* count) noexcept {
  return entry(
      number, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) {
        if (count == nullptr) {
          fail(cdInvalidPointer);
        }
        *count = call.simulator().count(enumeration);
        call.out(std::to_string(*count));
      });
}

cdError releaseItems(int number, cdHandle enumeration) noexcept {
  return onHandle(number, enumeration,
                  [&](CdSimulator& simulator) { simulator.release(enumeration); });
}

// The six calls of a value family whose next delivers one 16-bit code.
#define VOSTREL_SIM_CD_CODE_FAMILY(Get, Set, Reset, Next, Release, Count, family)                  \
  template <>                                                                                      \
  cdError simulate<Get##Entry>(cdHandle source, cdUInt16 * code) noexcept {                        \
    return getCode(Get##Entry, family, source, code);                                              \
  }                                                                                                \
  template <>                                                                                      \
  cdError simulate<Set##Entry>(cdHandle source, cdUInt32 code) noexcept {                          \
    return setCode(Set##Entry, family, source, code);                                              \
  }                                                                                                \
  template <>                                                                                      \
  cdError simulate<Reset##Entry>(cdHandle source, cdHandle * enumeration) noexcept {               \
    return enumerateCodes(Reset##Entry, family, source, enumeration);                              \
  }                                                                                                \
  template <>                                                                                      \
  cdError simulate<Next##Entry>(cdHandle enumeration, cdUInt16 * code) noexcept {                  \
    return nextCode(Next##Entry, enumeration, code);                                               \
  }                                                                                                \
  template <>                                                                                      \
  cdError simulate<Release##Entry>(cdHandle enumeration) noexcept {                                \
    return releaseItems(Release##Entry, enumeration);                                              \
  }                                                                                                \
  template <>                                                                                      \
  cdError simulate<Count##Entry>(cdHandle enumeration, cdUInt32 * count) noexcept {                \
    return countItems(Count##Entry, enumeration, count);                                           \
  }

VOSTREL_SIM_CD_CODE_FAMILY(CDGetShootingMode, CDSetShootingMode, CDEnumShootingModeReset,
                           CDEnumShootingModeNext, CDEnumShootingModeRelease,
                           CDGetShootingModeCount, ShootingModeId)
VOSTREL_SIM_CD_CODE_FAMILY(CDGetAvValue, CDSetAvValue, CDEnumAvValueReset, CDEnumAvValueNext,
                           CDEnumAvValueRelease, CDGetAvValueCount, AvId)
VOSTREL_SIM_CD_CODE_FAMILY(CDGetTvValue, CDSetTvValue, CDEnumTvValueReset, CDEnumTvValueNext,
                           CDEnumTvValueRelease, CDGetTvValueCount, TvId)
VOSTREL_SIM_CD_CODE_FAMILY(CDGetExposureComp, CDSetExposureComp, CDEnumExposureCompReset,
                           CDEnumExposureCompNext, CDEnumExposureCompRelease,
                           CDGetExposureCompCount, ExposureCompId)
VOSTREL_SIM_CD_CODE_FAMILY(CDGetWBSetting, CDSetWBSetting, CDEnumWBSettingReset,
                           CDEnumWBSettingNext, CDEnumWBSettingRelease, CDGetWBSettingCount,
                           WhiteBalanceId)
VOSTREL_SIM_CD_CODE_FAMILY(CDGetAFDistanceSetting, CDSetAFDistanceSetting,
                           CDEnumAFDistanceSettingReset, CDEnumAFDistanceSettingNext,
                           CDEnumAFDistanceSettingRelease, CDGetAFDistanceSettingCount,
                           AFDistanceId)
#undef VOSTREL_SIM_CD_CODE_FAMILY

template <>
cdError simulate<CDGetImageFormatAttributeEntry>(cdHandle source, cdUInt16* quality,
                                                 cdUInt16* size) noexcept {
  return entry(
      CDGetImageFormatAttributeEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        call.simulator().imageFormat(source, quality, size);
        call.out(std::to_string(*quality) + " " + std::to_string(*size));
      });
}

template <>
cdError simulate<CDSetImageFormatAttributeEntry>(cdHandle source, cdUInt32 quality,
                                                 cdUInt32 size) noexcept {
  return entry(
      CDSetImageFormatAttributeEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(quality));
        call.argument(std::to_string(size));
      },
      [&](Call& call) { call.simulator().setImageFormat(source, quality, size); });
}

template <>
cdError simulate<CDEnumImageFormatAttributeResetEntry>(cdHandle source,
                                                       cdHandle* enumeration) noexcept {
  return enumerateCodes(CDEnumImageFormatAttributeResetEntry, ImageFormatId, source, enumeration);
}

template <>
cdError simulate<CDEnumImageFormatAttributeNextEntry>(cdHandle enumeration, cdUInt16* quality,
                                                      cdUInt16* size) noexcept {
  return entry(
      CDEnumImageFormatAttributeNextEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) {
        call.simulator().nextImageFormat(enumeration, quality, size);
        call.out(std::to_string(*quality) + " " + std::to_string(*size));
      });
}

template <>
cdError simulate<CDEnumImageFormatAttributeReleaseEntry>(cdHandle enumeration) noexcept {
  return releaseItems(CDEnumImageFormatAttributeReleaseEntry, enumeration);
}

template <>
cdError simulate<CDGetImageFormatAttributeCountEntry>(cdHandle enumeration,
                                                      cdUInt32* count) noexcept {
  return countItems(CDGetImageFormatAttributeCountEntry, enumeration, count);
}

template <>
cdError simulate<CDGetFlashSettingEntry>(cdHandle source, cdUInt16* mode,
                                         cdUInt16* compensation) noexcept {
  return entry(
      CDGetFlashSettingEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        call.simulator().flash(source, mode, compensation);
        call.out(std::to_string(*mode) + " " + std::to_string(*compensation));
      });
}

template <>
cdError simulate<CDSetFlashSettingEntry>(cdHandle source, cdUInt32 mode,
                                         cdUInt32 compensation) noexcept {
  return entry(
      CDSetFlashSettingEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(mode));
        call.argument(std::to_string(compensation));
      },
      [&](Call& call) { call.simulator().setFlash(source, mode, compensation); });
}

template <>
cdError simulate<CDEnumFlashSettingResetEntry>(cdHandle source, cdHandle* enumeration) noexcept {
  return enumerateCodes(CDEnumFlashSettingResetEntry, FlashModeId, source, enumeration);
}

template <>
cdError simulate<CDEnumFlashSettingNextEntry>(cdHandle enumeration, cdUInt16* mode) noexcept {
  return nextCode(CDEnumFlashSettingNextEntry, enumeration, mode);
}

template <>
cdError simulate<CDEnumFlashSettingReleaseEntry>(cdHandle enumeration) noexcept {
  return releaseItems(CDEnumFlashSettingReleaseEntry, enumeration);
}

template <>
cdError simulate<CDGetFlashSettingCountEntry>(cdHandle enumeration, cdUInt32* count) noexcept {
  return countItems(CDGetFlashSettingCountEntry, enumeration, count);
}

template <>
cdError simulate<CDGetRelCamSettingDataEntry>(cdHandle source, cdUInt32 setting, cdUInt32* size,
                                              void* value) noexcept {
  return entry(
      CDGetRelCamSettingDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(hexArgument(setting));
        call.argument(sizeArgument(size));
      },
      [&](Call& call) { call.simulator().getSetting(call, source, setting, size, value); });
}

template <>
cdError simulate<CDSetRelCamSettingDataEntry>(cdHandle source, cdUInt32 setting, cdUInt32 size,
                                              const void* value) noexcept {
  return entry(
      CDSetRelCamSettingDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(hexArgument(setting));
        call.argument(std::to_string(size));
        call.argument(value == nullptr ? "null" : dataArgument(value, size <= 4 ? size : 4));
      },
      [&](Call& call) { call.simulator().setSetting(source, setting, size, value); });
}

template <>
cdError simulate<CDEnumRelCamSettingDataResetEntry>(cdHandle source, cdUInt32 setting,
                                                    cdHandle* enumeration,
                                                    cdUInt32* valueSize) noexcept {
  return entry(
      CDEnumRelCamSettingDataResetEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(hexArgument(setting));
      },
      [&](Call& call) {
        handOut(call, enumeration, call.simulator().enumerateSetting(source, setting, valueSize));
        call.out(std::to_string(*valueSize));
      });
}

template <>
cdError simulate<CDEnumRelCamSettingDataNextEntry>(cdHandle enumeration, cdUInt32 valueSize,
                                                   void* value) noexcept {
  return entry(
      CDEnumRelCamSettingDataNextEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(enumeration));
        call.argument(std::to_string(valueSize));
      },
      [&](Call& call) {
        call.simulator().nextSetting(enumeration, valueSize, value);
        call.out(dataArgument(value, valueSize <= 4 ? valueSize : 4));
      });
}

template <>
cdError simulate<CDEnumRelCamSettingDataReleaseEntry>(cdHandle enumeration) noexcept {
  return releaseItems(CDEnumRelCamSettingDataReleaseEntry, enumeration);
}

template <>
cdError simulate<CDGetRelCamSettingDataCountEntry>(cdHandle enumeration, cdUInt32* count) noexcept {
  return countItems(CDGetRelCamSettingDataCountEntry, enumeration, count);
}

// --- Viewfinder, zoom and focus lock ---------------------------------------------

template <>
cdError simulate<CDStartViewfinderEntry>(cdHandle source, cdUInt32 format,
                                         cdViewfinderCallbackFunction callback,
                                         cdContext context) noexcept {
  CdSimulator& simulator = CdSimulator::instance();
  // Streams stopped earlier end before a new one starts.
  simulator.joinStoppedStreams();
  return entry(
      CDStartViewfinderEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(format));
        call.argument(handlerArgument(callback != nullptr));
        call.argument(std::to_string(context));
      },
      [&](Call& call) { call.simulator().startViewfinder(source, format, callback, context); });
}

template <>
cdError simulate<CDTermViewfinderEntry>(cdHandle source) noexcept {
  const cdError result = onHandle(CDTermViewfinderEntry, source, [&](CdSimulator& simulator) {
    simulator.terminateViewfinder(source);
  });
  // No frame arrives once the call has returned, unless it was made from
  // within a frame's handler.
  CdSimulator::instance().joinStoppedStreams();
  return result;
}

// The entry points that take a source handle and one 32-bit value.
template <typename Body>
cdError onSourceValue(int number, cdHandle source, cdUInt32 value, Body body) noexcept {
  return entry(
      number, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(source));
        call.argument(std::to_string(value));
      },
      [&](Call& call) { body(call.simulator()); });
}

template <>
cdError simulate<CDSelectViewFinderCameraOutputEntry>(cdHandle source, cdUInt32 output) noexcept {
  return onSourceValue(
      CDSelectViewFinderCameraOutputEntry, source, output,
      [&](CdSimulator& simulator) { simulator.selectViewfinderOutput(source, output); });
}

template <>
cdError simulate<CDActViewfinderAutoFunctionsEntry>(cdHandle source, cdUInt32 functions) noexcept {
  return onSourceValue(
      CDActViewfinderAutoFunctionsEntry, source, functions,
      [&](CdSimulator& simulator) { simulator.viewfinderAutoFunctions(source, functions); });
}

template <>
cdError simulate<CDGetMaximumZoomPosEntry>(cdHandle source, cdUInt32* maximum,
                                           cdUInt32* maximumOptical) noexcept {
  return entry(
      CDGetMaximumZoomPosEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        call.simulator().maximumZoom(source, maximum, maximumOptical);
        call.out(std::to_string(*maximum) + " " + std::to_string(*maximumOptical));
      });
}

template <>
cdError simulate<CDGetZoomPosEntry>(cdHandle source, cdUInt32* position) noexcept {
  return entry(
      CDGetZoomPosEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(source)); },
      [&](Call& call) {
        if (position == nullptr) {
          fail(cdInvalidPointer);
        }
        *position = call.simulator().zoomPosition(source);
        call.out(std::to_string(*position));
      });
}

template <>
cdError simulate<CDSetZoomPosEntry>(cdHandle source, cdUInt32 position) noexcept {
  return onSourceValue(CDSetZoomPosEntry, source, position, [&](CdSimulator& simulator) {
    simulator.setZoomPosition(source, position);
  });
}

template <>
cdError simulate<CDAFLockEntry>(cdHandle source, cdUInt32 lock) noexcept {
  return onSourceValue(CDAFLockEntry, source, lock,
                       [&](CdSimulator& simulator) { simulator.focusLock(source, lock); });
}

// --- Card pictures -------------------------------------------------------------------

template <>
cdError simulate<CDEnumImageItemResetEntry>(cdHandle volume, cdUInt32 depth, cdUInt32 option,
                                            cdHandle* enumeration) noexcept {
  return entry(
      CDEnumImageItemResetEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(volume));
        call.argument(std::to_string(depth));
        call.argument(std::to_string(option));
      },
      [&](Call& call) {
        handOut(call, enumeration, call.simulator().enumerateImageItems(volume));
      });
}

template <>
cdError simulate<CDGetImageItemCountEntry>(cdHandle enumeration, cdUInt32* count) noexcept {
  return countItems(CDGetImageItemCountEntry, enumeration, count);
}

template <>
cdError simulate<CDEnumImageItemNextEntry>(cdHandle enumeration, cdHandle* item) noexcept {
  return entry(
      CDEnumImageItemNextEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(enumeration)); },
      [&](Call& call) { handOut(call, item, call.simulator().nextImageItem(enumeration)); });
}

template <>
cdError simulate<CDEnumImageItemReleaseEntry>(cdHandle enumeration) noexcept {
  return releaseItems(CDEnumImageItemReleaseEntry, enumeration);
}

template <>
cdError simulate<CDGetItemInfoEntry>(cdHandle item, void* info) noexcept {
  return entry(
      CDGetItemInfoEntry, Needs::Sdk,
      [&](Call& call) { call.argument(call.simulator().describe(item)); },
      [&](Call& call) { call.simulator().itemInfo(call, item, info); });
}

template <>
cdError simulate<CDOpenImageEntry>(cdHandle item) noexcept {
  return onHandle(CDOpenImageEntry, item,
                  [&](CdSimulator& simulator) { simulator.openImage(item); });
}

template <>
cdError simulate<CDCloseImageEntry>(cdHandle item) noexcept {
  return onHandle(CDCloseImageEntry, item,
                  [&](CdSimulator& simulator) { simulator.closeImage(item); });
}

cdError getImageData(int number, cdHandle item, cdHandle* data, bool thumbnail) noexcept {
  return entry(
      number, Needs::Sdk, [&](Call& call) { call.argument(call.simulator().describe(item)); },
      [&](Call& call) { handOut(call, data, call.simulator().imageData(item, thumbnail)); });
}

template <>
cdError simulate<CDGetThumbnailEntry>(cdHandle item, cdHandle* data) noexcept {
  return getImageData(CDGetThumbnailEntry, item, data, true);
}

template <>
cdError simulate<CDGetPictureEntry>(cdHandle item, cdHandle* data) noexcept {
  return getImageData(CDGetPictureEntry, item, data, false);
}

template <>
cdError simulate<CDGetImageDataEntry>(cdHandle data, void* destination,
                                      cdProgressCallbackFunction progress, cdContext context,
                                      cdUInt32 option) noexcept {
  return entry(
      CDGetImageDataEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(data));
        call.argument(handlerArgument(progress != nullptr));
        call.argument(std::to_string(context));
        call.argument(std::to_string(option));
      },
      // The file name follows as an argument once the record is read.
      [&](Call& call) {
        call.simulator().writeImageData(call, data, destination, progress, context);
      });
}

// Frees the data of a picture (CDGetThumbnail, CDGetPicture).
template <>
cdError simulate<CDFreeImageItemEntry>(cdHandle data) noexcept {
  return onHandle(CDFreeImageItemEntry, data,
                  [&](CdSimulator& simulator) { simulator.freeData(data); });
}

template <>
cdError simulate<CDDeleteImageEntry>(cdHandle volume, cdHandle item) noexcept {
  return entry(
      CDDeleteImageEntry, Needs::Sdk,
      [&](Call& call) {
        call.argument(call.simulator().describe(volume));
        call.argument(call.simulator().describe(item));
      },
      [&](Call& call) { call.simulator().deleteImage(volume, item); });
}

} // namespace

// --- The exports -------------------------------------------------------------------
//
// Windows: every entry point is exported through CDSDK.def under its name in
// the table, the one decorated name included; the assembler name below is
// what the .def file refers to. Elsewhere the functions are exported under
// their plain names.

#define VOSTREL_SIM_CD_STRING2(text) #text
#define VOSTREL_SIM_CD_STRING(text) VOSTREL_SIM_CD_STRING2(text)
#if defined(_WIN32)
#define VOSTREL_SIM_CD_EXPORT
#define VOSTREL_SIM_CD_EXPORT_NAME(exportName)                                                     \
  __asm__("\"" VOSTREL_SIM_CD_STRING(__USER_LABEL_PREFIX__) exportName "\"")
#else
#define VOSTREL_SIM_CD_EXPORT __attribute__((visibility("default")))
#define VOSTREL_SIM_CD_EXPORT_NAME(exportName)
#endif

#define VOSTREL_SIM_CD_DEFINE_ENTRY_POINT(number, name, exportName, parameters, arguments)         \
  extern "C" VOSTREL_SIM_CD_EXPORT cdError CDAPI name parameters VOSTREL_SIM_CD_EXPORT_NAME(       \
      exportName);                                                                                 \
  extern "C" cdError CDAPI name parameters {                                                       \
    return simulate<name##Entry> arguments;                                                        \
  }
CDSDK_ENTRY_POINTS(VOSTREL_SIM_CD_DEFINE_ENTRY_POINT)
#undef VOSTREL_SIM_CD_DEFINE_ENTRY_POINT

} // namespace vostrel::sim::cd

namespace vostrel::sim {

Simulator& simulator() {
  return cd::CdSimulator::instance();
}

} // namespace vostrel::sim
