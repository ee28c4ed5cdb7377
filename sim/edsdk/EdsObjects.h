#pragma once
// The objects behind the references that the simulated EDSDK hands out.

#include "eos/EDSDKTYPES.h"
#include "sim/edsdk/EdsStreams.h"
#include "sim/world/RawFormat.h"
#include "sim/world/World.h"

#include <memory>
#include <vector>

namespace vostrel::sim::eds {

struct EdsObject {
  virtual ~EdsObject() = default;
  // The kind as the call log shows it ("camera", "item", ...).
  virtual const char* kind() const = 0;

  // Set by EdsSetProgressCallback.
  EdsProgressCallback progress = nullptr;
  EdsUInt32 progressOption = EdsProgressNoReport;
  void* progressContext = nullptr;
};

struct CameraListObject final : EdsObject {
  const char* kind() const override { return "list"; }
  std::vector<std::shared_ptr<Camera>> cameras;
};

struct CameraObject final : EdsObject {
  const char* kind() const override { return "camera"; }
  std::shared_ptr<Camera> camera;
};

struct VolumeObject final : EdsObject {
  const char* kind() const override { return "volume"; }
  std::shared_ptr<Camera> camera;
  std::size_t index = 0;
};

struct ItemObject final : EdsObject {
  const char* kind() const override { return "item"; }
  std::shared_ptr<Camera> camera;
  std::size_t volume = 0;
  std::shared_ptr<Entry> entry;
};

struct StreamObject final : EdsObject {
  const char* kind() const override { return "stream"; }
  std::shared_ptr<Stream> stream;
};

// A RAW picture opened for development, with the white balance chosen for it.
struct ImageObject final : EdsObject {
  const char* kind() const override { return "image"; }
  RawPicture picture;
  std::uint32_t whiteBalance = 0;
  std::uint32_t kelvin = 0;
};

} // namespace vostrel::sim::eds
