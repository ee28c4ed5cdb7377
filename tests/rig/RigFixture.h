#pragma once
// Common ground of the tests of camera rigs: one process, many simulated
// cameras of one family, one controller per camera. Scenarios give every
// camera its own body ID so that a released picture (which carries its
// camera's body ID and shot number) traces back to the camera that took it.

#include "core/ECamException.h"
#include "core/TempFolder.h"
#include "core/Vostrel.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "sim/world/Jpeg.h"
#include "sim/world/TestPattern.h"
#include "support/SimulatedLibrary.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vostrel::test {

inline constexpr std::uint32_t RigBodyIdBase = 7100;

// A scenario of `count` cameras of one family ("eos" or "pr") with body IDs
// from RigBodyIdBase on, each with an empty card.
inline std::string RigScenario(const std::string& family, int count) {
  nlohmann::json cameras = nlohmann::json::array();
  for (int i = 0; i < count; ++i) {
    cameras.push_back(
        {{"model", "Rig " + std::to_string(i)},
         {"bodyId", RigBodyIdBase + static_cast<std::uint32_t>(i)},
         {"availableShots", 5000},
         {"volumes", nlohmann::json::array({{{"label", "CF"}, {"files", nlohmann::json::array()}}})}});
  }
  return nlohmann::json{{family, {{"cameras", cameras}}}}.dump();
}

// What a fetched picture says about where it comes from: the mark drawn in
// its pixels and the comment in its header must agree.
inline sim::ShotMark MarkOfPicture(const std::vector<std::uint8_t>& jpeg) {
  const sim::ShotMark mark = sim::readShotMark(sim::decodeJpeg(jpeg));
  EXPECT_EQ(sim::jpegComment(jpeg), sim::shotMarkComment(mark));
  return mark;
}

// The files on the first card of a simulated camera, oldest release first
// (picture names count up).
inline std::vector<std::string> CardFiles(sim::SimControlClient& sim, std::int32_t camera) {
  std::vector<std::string> paths;
  const std::string listing = sim.listFiles(camera, 0);
  for (std::size_t start = 0, end; (end = listing.find('\n', start)) != std::string::npos;
       start = end + 1) {
    const std::string line = listing.substr(start, end - start);
    paths.push_back(line.substr(0, line.find('\t')));
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

} // namespace vostrel::test
