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
  return onHandle(CDCloseSourceEntry, source,
                  [&](CdSimulator& simulator) { simulator.closeSource(source); });
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
