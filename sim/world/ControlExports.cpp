// The control interface (sim/SimControl.h), compiled into each simulated
// camera library. Every function keeps C++ exceptions on this side and
// reports them through VostrelSim_GetLastError.

#include "sim/SimControl.h"
#include "sim/world/ControlBuffer.h"
#include "sim/world/Simulator.h"

#include <exception>
#include <optional>
#include <stdexcept>
#include <string>

using vostrel::sim::Bytes;
using vostrel::sim::simulator;

namespace {

template <typename Action>
int32_t guarded(Action action) noexcept {
  try {
    action(simulator());
    return 0;
  } catch (const std::exception& error) {
    try {
      simulator().setLastError(error.what());
    } catch (...) {
    }
  } catch (...) {
  }
  return -1;
}

template <typename Produce>
size_t guardedText(char* buffer, size_t size, Produce produce) noexcept {
  try {
    return vostrel::sim::copyText(produce(simulator()), buffer, size);
  } catch (const std::exception& error) {
    try {
      simulator().setLastError(error.what());
    } catch (...) {
    }
  } catch (...) {
  }
  return vostrel::sim::copyText("", buffer, size);
}

template <typename Produce>
int64_t guardedBytes(void* buffer, size_t size, Produce produce) noexcept {
  try {
    const std::optional<Bytes> bytes = produce(simulator());
    if (!bytes) {
      return -1;
    }
    return static_cast<int64_t>(vostrel::sim::copyBytes(*bytes, buffer, size));
  } catch (const std::exception& error) {
    try {
      simulator().setLastError(error.what());
    } catch (...) {
    }
  } catch (...) {
  }
  return -1;
}

std::string textOrEmpty(const char* text) {
  return text ? text : "";
}

} // namespace

extern "C" {

int32_t VostrelSim_LoadScenario(const char* jsonText) {
  return guarded([&](auto& sim) { sim.loadScenario(textOrEmpty(jsonText)); });
}

int32_t VostrelSim_LoadScenarioFile(const char* path) {
  return guarded([&](auto& sim) { sim.loadScenarioFile(textOrEmpty(path)); });
}

int32_t VostrelSim_ResetScenario(void) {
  return guarded([](auto& sim) { sim.resetScenario(); });
}

size_t VostrelSim_GetLastError(char* buffer, size_t size) {
  return guardedText(buffer, size, [](auto& sim) { return sim.lastError(); });
}

int32_t VostrelSim_InjectFailure(const char* entryPoint, uint32_t result, uint32_t passingCalls,
                                 uint32_t failingCalls) {
  return guarded([&](auto& sim) {
    if (entryPoint == nullptr || *entryPoint == '\0') {
      throw std::invalid_argument("an injected failure needs the name of an entry point");
    }
    sim.failures().inject(entryPoint, result, passingCalls, failingCalls);
  });
}

int32_t VostrelSim_InjectRandomFailure(const char* entryPoint, uint32_t result,
                                       uint32_t perMillion) {
  return guarded([&](auto& sim) {
    if (entryPoint == nullptr || *entryPoint == '\0') {
      throw std::invalid_argument("an injected failure needs the name of an entry point");
    }
    if (perMillion > vostrel::sim::FailureInjector::OneMillion) {
      throw std::invalid_argument("a chance of failure is at most a million in a million");
    }
    sim.failures().injectRandom(entryPoint, result, perMillion);
  });
}

void VostrelSim_SeedRandomFailures(uint32_t seed) {
  guarded([&](auto& sim) { sim.failures().seedRandom(seed); });
}

uint64_t VostrelSim_InjectedFailures(void) {
  uint64_t count = 0;
  guarded([&](auto& sim) { count = sim.failures().injected(); });
  return count;
}

int32_t VostrelSim_LimitDiskSpace(int64_t bytes) {
  return guarded([&](auto& sim) {
    if (bytes < -1) {
      throw std::invalid_argument("the space left on the disk is -1 (no limit) or more");
    }
    sim.failures().limitDiskSpace(bytes < 0 ? std::nullopt : std::optional<std::uint64_t>(bytes));
  });
}

void VostrelSim_ClearFailures(void) {
  guarded([](auto& sim) { sim.failures().clear(); });
}

int32_t VostrelSim_RaiseEvent(int32_t camera, int32_t kind, uint32_t code, uint32_t argument,
                              uint32_t parameter) {
  return guarded([&](auto& sim) { sim.raiseEvent(camera, kind, code, argument, parameter); });
}

int32_t VostrelSim_DetachCamera(int32_t camera) {
  return guarded([&](auto& sim) { sim.detachCamera(camera); });
}

int32_t VostrelSim_DetachCameraDuring(int32_t camera, const char* entryPoint, uint32_t calls) {
  return guarded([&](auto& sim) {
    if (entryPoint == nullptr || *entryPoint == '\0') {
      throw std::invalid_argument(
          "unplugging a camera during a call needs the name of an entry point");
    }
    sim.detachCameraDuring(camera, entryPoint, calls);
  });
}

void VostrelSim_SetSynchronousCallbacks(int32_t synchronous) {
  guarded([&](auto& sim) { sim.setSynchronousCallbacks(synchronous != 0); });
}

void VostrelSim_WaitIdle(void) {
  guarded([](auto& sim) { sim.waitIdle(); });
}

size_t VostrelSim_GetCallLog(char* buffer, size_t size) {
  return guardedText(buffer, size, [](auto& sim) { return sim.callLog().text(); });
}

void VostrelSim_ClearCallLog(void) {
  guarded([](auto& sim) { sim.callLog().clear(); });
}

size_t VostrelSim_DescribeWorld(char* buffer, size_t size) {
  return guardedText(buffer, size, [](auto& sim) { return sim.describeWorld(); });
}

int64_t VostrelSim_GetProperty(int32_t camera, uint32_t propertyId, void* buffer, size_t size) {
  return guardedBytes(buffer, size,
                      [&](auto& sim) { return sim.propertyValue(camera, propertyId); });
}

size_t VostrelSim_ListFiles(int32_t camera, int32_t volume, char* buffer, size_t size) {
  return guardedText(buffer, size, [&](auto& sim) { return sim.listFiles(camera, volume); });
}

int64_t VostrelSim_ReadFile(int32_t camera, int32_t volume, const char* path, void* buffer,
                            size_t size) {
  return guardedBytes(buffer, size,
                      [&](auto& sim) { return sim.readFile(camera, volume, textOrEmpty(path)); });
}

size_t VostrelSim_LiveReferences(void) {
  size_t count = 0;
  guarded([&](auto& sim) { count = sim.liveReferences(); });
  return count;
}

} // extern "C"
