#pragma once
// Scenarios: the cameras a simulated SDK finds attached and their state, as a
// JSON text with one section per SDK ("eos", "pr", "cd"). The format is
// described in sim/README.md. A scenario can also be written back from a
// world, in the same format, for inspection.

#include "sim/world/Pictures.h"
#include "sim/world/World.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace vostrel::sim {

class ScenarioError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// What a simulated SDK tells the scenario reader about its family of cameras.
class CameraFamily {
public:
  virtual ~CameraFamily() = default;
  // The scenario section of the family.
  virtual std::string section() const = 0;
  // A camera of the family before the scenario describes it: its default
  // identity, battery, capture folder and properties.
  virtual Camera defaultCamera(std::size_t index) const = 0;
  // The identifier of a property name used in scenarios ("Av"); nullopt for a
  // name the family does not know. Hexadecimal names ("0x0405") are read by
  // the scenario reader itself.
  virtual std::optional<std::uint32_t> propertyId(const std::string& name) const = 0;
  // The name of a property in scenarios ("Av", or "0x00000405" when unnamed).
  virtual std::string propertyName(std::uint32_t id) const = 0;
  // The SDK's data-type code for a property the family does not know.
  virtual std::uint32_t dataTypeFor(ValueKind kind) const = 0;
  // How RAW files on a card were shot when the scenario does not say.
  virtual RawShot defaultRawShot() const = 0;
  // The extension of the family's RAW files (".CR2").
  virtual std::string rawExtension() const = 0;
};

// Reads the family's section of a scenario. A scenario without that section
// attaches no camera of the family. Raises ScenarioError with the place of
// the fault for text that is not JSON or that does not fit the format.
World parseScenario(const std::string& jsonText, const CameraFamily& family);

// Writes the world as a scenario with the family's section only.
std::string describeWorld(const World& world, const CameraFamily& family);

} // namespace vostrel::sim
