#pragma once
// The common part of every simulated camera library: the world and its lock,
// the scenario (from VOSTREL_SIM_SCENARIO, or the built-in default), the call
// log, failure injection, callback delivery, and the inspection that the
// control interface offers. Each simulated SDK derives its simulator from it
// and adds its own references and entry points.

#include "sim/world/CallLog.h"
#include "sim/world/EventDispatcher.h"
#include "sim/world/FailureInjector.h"
#include "sim/world/Scenario.h"

#include <mutex>
#include <optional>
#include <string>

namespace vostrel::sim {

class Simulator {
public:
  // Loads the scenario named by VOSTREL_SIM_SCENARIO, or the default one.
  explicit Simulator(const CameraFamily& family);
  virtual ~Simulator() = default;
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // Scenarios; a faulty one raises ScenarioError and changes nothing.
  void loadScenario(const std::string& jsonText);
  void loadScenarioFile(const std::string& path);
  void resetScenario();

  // Camera events raised by a test; std::invalid_argument for a camera or
  // kind that does not exist.
  virtual void raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                          std::uint32_t argument, std::uint32_t parameter) = 0;
  virtual void detachCamera(std::int32_t camera) = 0;
  // Unplugs the camera in the middle of call calls + 1 of the entry point
  // (SdkCall says where); std::invalid_argument for a camera that does not
  // exist.
  void detachCameraDuring(std::int32_t camera, const std::string& entryPoint, std::uint32_t calls);
  virtual std::size_t liveReferences() = 0;

  void setSynchronousCallbacks(bool synchronous);
  void waitIdle() { events_.waitIdle(); }

  std::string describeWorld();
  std::optional<Bytes> propertyValue(std::int32_t camera, std::uint32_t id);
  std::string listFiles(std::int32_t camera, std::int32_t volume);
  std::optional<Bytes> readFile(std::int32_t camera, std::int32_t volume, const std::string& path);

  // The lock that every SDK call holds while it works.
  std::mutex& callMutex() { return mutex_; }
  CallLog& callLog() { return log_; }
  FailureInjector& failures() { return failures_; }
  EventDispatcher& events() { return events_; }

  void setLastError(const std::string& text);
  std::string lastError() const;

protected:
  std::mutex& mutex() { return mutex_; }
  World& world() { return world_; }
  const CameraFamily& family() const { return family_; }
  // Why the scenario of VOSTREL_SIM_SCENARIO could not be loaded; empty when
  // it could (or when none is named).
  std::string startupError() const;
  // Called with the lock held once a new world is in place: every SDK
  // reference into the old one is to be dropped.
  virtual void worldReplaced() = 0;

private:
  void replaceWorld(World world);
  // Hands the unpluggings of the world's scenario to the failure injection
  // (with the lock held, or before any call).
  void armUnpluggings();
  std::shared_ptr<Camera> requireCamera(std::int32_t camera) const;
  const Volume& requireVolume(const Camera& camera, std::int32_t volume) const;

  const CameraFamily& family_;
  std::mutex mutex_;
  World world_;
  CallLog log_;
  FailureInjector failures_;
  EventDispatcher events_;
  mutable std::mutex errorMutex_;
  std::string lastError_;
  std::string startupError_;
};

// The simulator of the library this code is linked into; each simulated SDK
// library defines it.
Simulator& simulator();

} // namespace vostrel::sim
