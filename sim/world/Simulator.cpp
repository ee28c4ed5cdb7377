#include "sim/world/Simulator.h"

#include "platform/FileSystem.h"
#include "sim/world/DefaultScenario.h"

#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vostrel::sim {

namespace {

constexpr const char* ScenarioVariable = "VOSTREL_SIM_SCENARIO";
constexpr const char* CallLogVariable = "VOSTREL_SIM_CALL_LOG";

// Far more than any scenario needs, a card nested fifty thousand folders
// deep included.
constexpr std::size_t MaximumScenarioFileSize = 64 * 1024 * 1024;

// Only from a regular file, and no further than the bound: a device or a
// pipe named as the scenario is refused rather than read without end or
// waited for.
std::string readScenarioFile(const std::string& path) {
  Bytes bytes;
  try {
    bytes = platform::readFileStart(path, MaximumScenarioFileSize + 1);
  } catch (const std::system_error& error) {
    throw ScenarioError("cannot read scenario file " + path + ": " + error.what());
  }
  if (bytes.size() > MaximumScenarioFileSize) {
    throw ScenarioError("scenario file " + path + " is larger than " +
                        std::to_string(MaximumScenarioFileSize) + " bytes");
  }
  return std::string(bytes.begin(), bytes.end());
}

} // namespace

Simulator::Simulator(const CameraFamily& family) : family_(family) {
  const auto path = platform::environmentVariable(ScenarioVariable);
  try {
    world_ = parseScenario(path && !path->empty() ? readScenarioFile(*path) : defaultScenarioText(),
                           family_);
  } catch (const std::exception& error) {
    startupError_ = std::string(ScenarioVariable) + ": " + error.what();
    lastError_ = startupError_;
    // The host sees only a failing SDK start; a developer reads this.
    std::fprintf(stderr, "simulated %s library: %s\n", family_.section().c_str(),
                 startupError_.c_str());
  }
  events_.setSynchronous(world_.synchronousCallbacks);
  armUnpluggings();
  const auto logFile = platform::environmentVariable(CallLogVariable);
  if (logFile && !logFile->empty() && !log_.mirrorTo(*logFile)) {
    std::fprintf(stderr, "simulated %s library: %s: cannot open %s\n", family_.section().c_str(),
                 CallLogVariable, logFile->c_str());
  }
}

void Simulator::loadScenario(const std::string& jsonText) {
  replaceWorld(parseScenario(jsonText, family_));
}

void Simulator::loadScenarioFile(const std::string& path) {
  loadScenario(readScenarioFile(path));
}

void Simulator::resetScenario() {
  loadScenario(defaultScenarioText());
}

void Simulator::replaceWorld(World world) {
  // Callbacks of the old world go out before it is replaced.
  events_.waitIdle();
  const bool synchronous = world.synchronousCallbacks;
  {
    std::lock_guard lock(mutex_);
    world_ = std::move(world);
    worldReplaced();
    armUnpluggings();
  }
  std::lock_guard lock(errorMutex_);
  startupError_.clear();
  events_.setSynchronous(synchronous);
}

void Simulator::setSynchronousCallbacks(bool synchronous) {
  events_.setSynchronous(synchronous);
  std::lock_guard lock(mutex_);
  world_.synchronousCallbacks = synchronous;
}

std::string Simulator::describeWorld() {
  std::lock_guard lock(mutex_);
  return sim::describeWorld(world_, family_);
}

void Simulator::armUnpluggings() {
  for (const Unplugging& unplugging : world_.unpluggings) {
    failures_.unplugDuring(unplugging.entryPoint, unplugging.camera, unplugging.calls);
  }
}

void Simulator::detachCameraDuring(std::int32_t camera, const std::string& entryPoint,
                                   std::uint32_t calls) {
  {
    std::lock_guard lock(mutex_);
    requireCamera(camera);
  }
  failures_.unplugDuring(entryPoint, camera, calls);
}

std::shared_ptr<Camera> Simulator::requireCamera(std::int32_t camera) const {
  auto found = world_.camera(camera);
  if (!found) {
    throw std::invalid_argument("there is no camera " + std::to_string(camera));
  }
  return found;
}

const Volume& Simulator::requireVolume(const Camera& camera, std::int32_t volume) const {
  if (volume < 0 || static_cast<std::size_t>(volume) >= camera.volumes.size()) {
    throw std::invalid_argument("camera " + camera.model + " has no volume " +
                                std::to_string(volume));
  }
  return camera.volumes[static_cast<std::size_t>(volume)];
}

std::optional<Bytes> Simulator::propertyValue(std::int32_t camera, std::uint32_t id) {
  std::lock_guard lock(mutex_);
  const Property* property = requireCamera(camera)->property(id);
  return property ? std::optional(property->value) : std::nullopt;
}

std::string Simulator::listFiles(std::int32_t camera, std::int32_t volume) {
  std::lock_guard lock(mutex_);
  std::string text;
  forEachFile(*requireVolume(*requireCamera(camera), volume).root,
              [&](const std::string& path, const Entry& file) {
                text += path + "\t" + std::to_string(file.content.size()) + "\n";
              });
  return text;
}

std::optional<Bytes> Simulator::readFile(std::int32_t camera, std::int32_t volume,
                                         const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto entry = findEntry(requireVolume(*requireCamera(camera), volume), path);
  if (!entry || entry->isFolder()) {
    return std::nullopt;
  }
  return entry->content;
}

void Simulator::setLastError(const std::string& text) {
  std::lock_guard lock(errorMutex_);
  lastError_ = text;
}

std::string Simulator::lastError() const {
  std::lock_guard lock(errorMutex_);
  return lastError_;
}

std::string Simulator::startupError() const {
  std::lock_guard lock(errorMutex_);
  return startupError_;
}

} // namespace vostrel::sim
