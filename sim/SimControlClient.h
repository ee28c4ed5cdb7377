#pragma once
// C++ access to the control interface of a simulated camera library that has
// been loaded with platform::DynamicLibrary: the functions of SimControl.h
// are resolved by name from that very library, so a test drives the same
// simulator that the binding under test has loaded. Failures of the control
// functions are raised as std::runtime_error with the simulator's text.

#include "platform/DynamicLibrary.h"
#include "sim/SimControl.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::sim {

class SimControlClient {
public:
  // Raises std::runtime_error when the library lacks a control function.
  explicit SimControlClient(const platform::DynamicLibrary& library)
      : loadScenario_(
            resolve<decltype(&VostrelSim_LoadScenario)>(library, "VostrelSim_LoadScenario")),
        loadScenarioFile_(resolve<decltype(&VostrelSim_LoadScenarioFile)>(
            library, "VostrelSim_LoadScenarioFile")),
        resetScenario_(
            resolve<decltype(&VostrelSim_ResetScenario)>(library, "VostrelSim_ResetScenario")),
        getLastError_(
            resolve<decltype(&VostrelSim_GetLastError)>(library, "VostrelSim_GetLastError")),
        injectFailure_(
            resolve<decltype(&VostrelSim_InjectFailure)>(library, "VostrelSim_InjectFailure")),
        injectRandomFailure_(resolve<decltype(&VostrelSim_InjectRandomFailure)>(
            library, "VostrelSim_InjectRandomFailure")),
        seedRandomFailures_(resolve<decltype(&VostrelSim_SeedRandomFailures)>(
            library, "VostrelSim_SeedRandomFailures")),
        injectedFailures_(resolve<decltype(&VostrelSim_InjectedFailures)>(
            library, "VostrelSim_InjectedFailures")),
        limitDiskSpace_(
            resolve<decltype(&VostrelSim_LimitDiskSpace)>(library, "VostrelSim_LimitDiskSpace")),
        clearFailures_(
            resolve<decltype(&VostrelSim_ClearFailures)>(library, "VostrelSim_ClearFailures")),
        raiseEvent_(resolve<decltype(&VostrelSim_RaiseEvent)>(library, "VostrelSim_RaiseEvent")),
        detachCamera_(
            resolve<decltype(&VostrelSim_DetachCamera)>(library, "VostrelSim_DetachCamera")),
        detachCameraDuring_(resolve<decltype(&VostrelSim_DetachCameraDuring)>(
            library, "VostrelSim_DetachCameraDuring")),
        setSynchronousCallbacks_(resolve<decltype(&VostrelSim_SetSynchronousCallbacks)>(
            library, "VostrelSim_SetSynchronousCallbacks")),
        waitIdle_(resolve<decltype(&VostrelSim_WaitIdle)>(library, "VostrelSim_WaitIdle")),
        getCallLog_(resolve<decltype(&VostrelSim_GetCallLog)>(library, "VostrelSim_GetCallLog")),
        clearCallLog_(
            resolve<decltype(&VostrelSim_ClearCallLog)>(library, "VostrelSim_ClearCallLog")),
        describeWorld_(
            resolve<decltype(&VostrelSim_DescribeWorld)>(library, "VostrelSim_DescribeWorld")),
        getProperty_(resolve<decltype(&VostrelSim_GetProperty)>(library, "VostrelSim_GetProperty")),
        listFiles_(resolve<decltype(&VostrelSim_ListFiles)>(library, "VostrelSim_ListFiles")),
        readFile_(resolve<decltype(&VostrelSim_ReadFile)>(library, "VostrelSim_ReadFile")),
        liveReferences_(
            resolve<decltype(&VostrelSim_LiveReferences)>(library, "VostrelSim_LiveReferences")) {}

  void loadScenario(const std::string& jsonText) { check(loadScenario_(jsonText.c_str())); }
  void loadScenarioFile(const std::string& path) { check(loadScenarioFile_(path.c_str())); }
  void resetScenario() { check(resetScenario_()); }
  std::string lastError() const {
    return text([&](char* b, size_t n) { return getLastError_(b, n); });
  }

  void injectFailure(const std::string& entryPoint, std::uint32_t result,
                     std::uint32_t passingCalls, std::uint32_t failingCalls) {
    check(injectFailure_(entryPoint.c_str(), result, passingCalls, failingCalls));
  }
  // chance: of a call failing, from 0 (removes the injection) to 1.
  void injectRandomFailure(const std::string& entryPoint, std::uint32_t result, double chance) {
    check(injectRandomFailure_(entryPoint.c_str(), result,
                               static_cast<std::uint32_t>(chance * 1000000.0 + 0.5)));
  }
  void seedRandomFailures(std::uint32_t seed) { seedRandomFailures_(seed); }
  std::uint64_t injectedFailures() const { return injectedFailures_(); }
  // nullopt: no limit.
  void limitDiskSpace(std::optional<std::uint64_t> bytes) {
    check(limitDiskSpace_(bytes ? static_cast<std::int64_t>(*bytes) : -1));
  }
  void clearFailures() { clearFailures_(); }

  void raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                  std::uint32_t argument = 0, std::uint32_t parameter = 0) {
    check(raiseEvent_(camera, kind, code, argument, parameter));
  }
  void detachCamera(std::int32_t camera) { check(detachCamera_(camera)); }
  // Unplugs the camera in the middle of call calls + 1 of the entry point.
  void detachCameraDuring(std::int32_t camera, const std::string& entryPoint,
                          std::uint32_t calls = 0) {
    check(detachCameraDuring_(camera, entryPoint.c_str(), calls));
  }

  void setSynchronousCallbacks(bool synchronous) { setSynchronousCallbacks_(synchronous ? 1 : 0); }
  void waitIdle() { waitIdle_(); }

  std::string callLog() const {
    return text([&](char* b, size_t n) { return getCallLog_(b, n); });
  }
  void clearCallLog() { clearCallLog_(); }
  // The call log as lines, without their ends.
  std::vector<std::string> callLogLines() const {
    std::vector<std::string> lines;
    std::string all = callLog();
    for (std::size_t start = 0, end; (end = all.find('\n', start)) != std::string::npos;
         start = end + 1) {
      lines.push_back(all.substr(start, end - start));
    }
    return lines;
  }

  std::string describeWorld() const {
    return text([&](char* b, size_t n) { return describeWorld_(b, n); });
  }
  std::optional<std::vector<std::uint8_t>> property(std::int32_t camera, std::uint32_t id) const {
    return bytes([&](void* b, size_t n) { return getProperty_(camera, id, b, n); });
  }
  std::string listFiles(std::int32_t camera, std::int32_t volume = 0) const {
    return text([&](char* b, size_t n) { return listFiles_(camera, volume, b, n); });
  }
  std::optional<std::vector<std::uint8_t>> readFile(std::int32_t camera, std::int32_t volume,
                                                    const std::string& path) const {
    return bytes([&](void* b, size_t n) { return readFile_(camera, volume, path.c_str(), b, n); });
  }
  std::size_t liveReferences() const { return liveReferences_(); }

private:
  template <typename Fn>
  static Fn resolve(const platform::DynamicLibrary& library, const char* name) {
    void* address = library.symbol(name);
    if (address == nullptr) {
      throw std::runtime_error(library.path() + " has no " + name);
    }
    return reinterpret_cast<Fn>(address);
  }

  void check(std::int32_t result) const {
    if (result != 0) {
      throw std::runtime_error(lastError());
    }
  }

  // Asks for the size, then copies; asks again if the text grew meanwhile.
  template <typename Get>
  static std::string text(Get get) {
    std::vector<char> buffer(get(nullptr, 0));
    for (;;) {
      const std::size_t needed = get(buffer.data(), buffer.size());
      if (needed <= buffer.size()) {
        return std::string(buffer.data());
      }
      buffer.resize(needed);
    }
  }

  template <typename Get>
  static std::optional<std::vector<std::uint8_t>> bytes(Get get) {
    const std::int64_t size = get(nullptr, 0);
    if (size < 0) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    get(buffer.data(), buffer.size());
    return buffer;
  }

  decltype(&VostrelSim_LoadScenario) loadScenario_;
  decltype(&VostrelSim_LoadScenarioFile) loadScenarioFile_;
  decltype(&VostrelSim_ResetScenario) resetScenario_;
  decltype(&VostrelSim_GetLastError) getLastError_;
  decltype(&VostrelSim_InjectFailure) injectFailure_;
  decltype(&VostrelSim_InjectRandomFailure) injectRandomFailure_;
  decltype(&VostrelSim_SeedRandomFailures) seedRandomFailures_;
  decltype(&VostrelSim_InjectedFailures) injectedFailures_;
  decltype(&VostrelSim_LimitDiskSpace) limitDiskSpace_;
  decltype(&VostrelSim_ClearFailures) clearFailures_;
  decltype(&VostrelSim_RaiseEvent) raiseEvent_;
  decltype(&VostrelSim_DetachCamera) detachCamera_;
  decltype(&VostrelSim_DetachCameraDuring) detachCameraDuring_;
  decltype(&VostrelSim_SetSynchronousCallbacks) setSynchronousCallbacks_;
  decltype(&VostrelSim_WaitIdle) waitIdle_;
  decltype(&VostrelSim_GetCallLog) getCallLog_;
  decltype(&VostrelSim_ClearCallLog) clearCallLog_;
  decltype(&VostrelSim_DescribeWorld) describeWorld_;
  decltype(&VostrelSim_GetProperty) getProperty_;
  decltype(&VostrelSim_ListFiles) listFiles_;
  decltype(&VostrelSim_ReadFile) readFile_;
  decltype(&VostrelSim_LiveReferences) liveReferences_;
};

} // namespace vostrel::sim
