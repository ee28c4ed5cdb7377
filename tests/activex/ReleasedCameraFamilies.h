#pragma once
// The three camera families as the tests of a control released while its
// camera keeps sending see them: one camera of the family alone in the
// simulated world (the other families' libraries, where the build has them,
// without cameras), with a viewfinder for the PowerShot families, the
// events its simulator raises from its own thread and that reach the host,
// and the SDK calls that take the control's handlers back.

#include "sim/SimControl.h"
#include "sim/SimControlClient.h"
#include "support/SimulatedLibrary.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::test {

// The public camera types, as Connect takes them (the control's and the
// type library's enumerations both have these values).
inline constexpr std::int32_t PowerShotCameraType = 1;
inline constexpr std::int32_t EOSCameraType = 2;

struct RaisedEvent {
  std::int32_t kind;
  std::uint32_t code;
  std::uint32_t argument;
  std::uint32_t parameter;
};

struct ReleasedFamily {
  const char* name;
  const char* library;
  const char* section;
  std::int32_t cameraType;
  bool viewfinder;
  // Each reaches the host as one event, in remote mode.
  std::vector<RaisedEvent> events;
  std::vector<std::string> takingHandlersBack;

  sim::SimControlClient& Sim() const { return SimulatedLibrary(library); }

  // Loads the family's camera and empties the other families' worlds.
  // Callbacks come from the simulators' own threads.
  void UseItsCameraAlone() const;

  // Raises the family's events once; a refusal (the simulator may be
  // tearing the session down) is no failure of the caller.
  void RaiseEventsQuietly() const noexcept {
    for (const RaisedEvent& event : events) {
      try {
        Sim().raiseEvent(0, event.kind, event.code, event.argument, event.parameter);
      } catch (...) {
      }
    }
  }
};

inline const std::vector<ReleasedFamily>& ReleasedFamilies() {
  static const std::vector<ReleasedFamily> families{
      {"EOS",
       "EDSDK.DLL",
       "eos",
       EOSCameraType,
       false,
       {{VOSTREL_SIM_PROPERTY_EVENT, 0x0101, 0x0B, 0}, {VOSTREL_SIM_OBJECT_EVENT, 0x0208, 0, 0}},
       {"EdsSetObjectEventHandler", "EdsSetPropertyEventHandler", "EdsSetCameraStateEventHandler"}},
      // The battery level as a camera event, a change by the camera's own
      // controls as a remote event.
      {"PR",
       "PRSDK.DLL",
       "pr",
       PowerShotCameraType,
       true,
       {{VOSTREL_SIM_STATE_EVENT, 0xC00A, 0, 2}, {VOSTREL_SIM_STATE_EVENT, 0xC00C, 0, 0}},
       {"PR_ClearEventCallBack"}},
      // The mode dial turned.
      {"CD",
       "CDSDK.DLL",
       "cd",
       PowerShotCameraType,
       true,
       {{VOSTREL_SIM_STATE_EVENT, 0x00000002, 0, 0}},
       {"CDUnregisterEventCallbackFunction"}},
  };
  return families;
}

inline void ReleasedFamily::UseItsCameraAlone() const {
  const nlohmann::json viewfinder = {{"width", 96}, {"height", 64}, {"framesPerSecond", 100}};
  nlohmann::json camera = {{"model", std::string("Released ") + name}, {"owner", "Host"}};
  if (std::string(section) == "pr") {
    camera["viewfinder"] = viewfinder;
  } else if (std::string(section) == "cd") {
    camera["viewfinder"] = viewfinder;
    // Remote control with every live function.
    camera["properties"] = {{"ReleaseControlFaculty", 0x40000017}};
  }
  for (const ReleasedFamily& family : ReleasedFamilies()) {
    const bool own = &family == this || std::string(family.name) == name;
    try {
      family.Sim().clearFailures();
      family.Sim().loadScenario(nlohmann::json{
          {family.section,
           {{"cameras", own ? nlohmann::json::array({camera}) : nlohmann::json::array()}}}}
                                    .dump());
      family.Sim().setSynchronousCallbacks(false);
    } catch (const std::runtime_error&) {
      if (own) {
        throw;
      }
    }
  }
}

} // namespace vostrel::test
