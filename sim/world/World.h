#pragma once
// The world of the simulated camera libraries: the cameras attached to the
// PC, each with its identity, battery, clock, card and properties. One model
// serves every simulated SDK; each SDK reads and writes it through its own
// property identifiers and maps the common attributes (owner, body ID,
// battery, clock, shots) to its own calls.

#include "sim/world/Card.h"
#include "sim/world/Property.h"
#include "sim/world/TestPattern.h"
#include "sim/world/ViewfinderStream.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::sim {

// The camera's clock. It does not run: it shows what was last set.
struct CameraClock {
  std::uint32_t year = 2024;
  std::uint32_t month = 1;
  std::uint32_t day = 1;
  std::uint32_t hour = 12;
  std::uint32_t minute = 0;
  std::uint32_t second = 0;
  std::uint32_t millisecond = 0;

  bool valid() const;
  bool operator==(const CameraClock&) const = default;
};

// The clock as a count of seconds since 1970-01-01 00:00:00 (milliseconds
// dropped); nullopt for a time before 1970 or beyond 32 bits.
std::optional<std::uint32_t> secondsSince1970(const CameraClock& clock);
// The clock that a count of seconds since 1970-01-01 00:00:00 stands for.
CameraClock clockFromSecondsSince1970(std::uint32_t seconds);

struct Camera {
  std::string model;
  std::string owner;
  std::string port;
  std::uint32_t bodyId = 0;
  // The family's battery code (EOS: the battery property, 255 on mains).
  std::uint32_t battery = 0;
  CameraClock clock;
  std::int32_t availableShots = 0;
  std::int32_t shotsOnEmptyCard = 0; // after formatting
  std::string captureFolder;         // where released pictures go, on the first volume
  std::string filePrefix = "IMG_";
  std::uint32_t nextFileNumber = 1;
  std::vector<Volume> volumes;
  std::map<std::uint32_t, Property> properties;
  // The operation codes that the camera lists in its device information
  // (PowerShot PR cameras; empty for a family without such a list).
  std::vector<std::uint16_t> operations;
  // Size and rate of the viewfinder's frames.
  ViewfinderFormat viewfinder;
  // The picture taken last, on the card or waiting to be transferred.
  std::shared_ptr<Entry> newestPicture;
  bool attached = true;
  // What the host did to the camera, for inspection.
  bool sessionOpen = false;
  std::uint32_t keepAwakeCount = 0;
  std::uint32_t releaseCount = 0;
  // When the host asked for the last release, on the simulator's clock
  // (monotonicNanoseconds; 0: never). Rigs compare these to see how close
  // together their cameras fired.
  std::int64_t lastReleaseNanoseconds = 0;
  // Viewfinder frames of the runs that ended: sent to the host, and lost
  // because the host was still handling an earlier frame.
  std::uint64_t viewfinderFramesSent = 0;
  std::uint64_t viewfinderFramesDropped = 0;

  Property* property(std::uint32_t id);
  const Property* property(std::uint32_t id) const;
  // The next picture name with the extension given ("IMG_0007.JPG"), without
  // advancing the number.
  std::string pictureName(const std::string& extension) const;
  // Stores a picture in the capture folder of the first volume.
  void storePicture(const std::shared_ptr<Entry>& picture);
  // A remote release: takes the next JPEG picture (with its thumbnail),
  // stores it on the card when asked (one shot less) and makes it the
  // newest picture.
  std::shared_ptr<Entry> releaseJpegPicture(bool toCard, std::int64_t releasedAt);
  // The mark of the picture the next release takes.
  ShotMark nextShotMark() const { return {bodyId, releaseCount + 1}; }
  // Counts a release asked for at the time given.
  void countRelease(std::int64_t releasedAt);
};

// A camera to unplug in the middle of call `calls` + 1 of an entry point.
struct Unplugging {
  std::int32_t camera = 0;
  std::string entryPoint;
  std::uint32_t calls = 0;
};

struct World {
  std::vector<std::shared_ptr<Camera>> cameras;
  // Callbacks on the calling thread instead of the simulator's own.
  bool synchronousCallbacks = false;
  // Cameras the scenario unplugs during a call; they are handed to the
  // failure injection as the world is loaded (and not described again).
  std::vector<Unplugging> unpluggings;

  // The camera at an index, or null.
  std::shared_ptr<Camera> camera(std::int32_t index) const;
};

} // namespace vostrel::sim
