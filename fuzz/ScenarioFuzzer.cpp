// Scenario texts of the simulated libraries, read by each of the three
// families. A world that was read must also be described in a text that reads
// back to the same description.

#include "sim/cdsdk/CdFamily.h"
#include "sim/edsdk/EdsFamily.h"
#include "sim/prsdk/PrFamily.h"
#include "sim/world/Scenario.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

void ReadAndDescribe(const std::string& text, const vostrel::sim::CameraFamily& family) {
  vostrel::sim::World world;
  try {
    world = vostrel::sim::parseScenario(text, family);
  } catch (const vostrel::sim::ScenarioError&) {
    return;
  }
  const std::string description = vostrel::sim::describeWorld(world, family);
  try {
    const std::string again =
        vostrel::sim::describeWorld(vostrel::sim::parseScenario(description, family), family);
    if (again != description) {
      std::fprintf(stderr, "described differently after reading back:\n%s\n%s\n",
                   description.c_str(), again.c_str());
      __builtin_trap();
    }
  } catch (const vostrel::sim::ScenarioError& error) {
    std::fprintf(stderr, "the description of a world does not read back: %s\n%s\n", error.what(),
                 description.c_str());
    __builtin_trap();
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  ReadAndDescribe(text, vostrel::sim::eds::EdsFamily());
  ReadAndDescribe(text, vostrel::sim::pr::PrFamily());
  ReadAndDescribe(text, vostrel::sim::cd::CdFamily());
  return 0;
}
