// Thumbnails of card pictures: loading a thumbnail into TJPEGImage (which
// reads its JPEG header with libjpeg) against a plain copy of its bytes, and
// a card of 1000 JPEG pictures listed through the controller against the
// same walk and thumbnail downloads made straight through the binding of
// EDSDK.DLL (DirectEos), with and without thumbnails.

#include "bench/BenchSupport.h"
#include "bench/DirectEos.h"
#include "bench/SimulatedCamera.h"
#include "core/JPEGImage.h"
#include "core/Vostrel.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::bench {
namespace {

// A card of this many JPEG pictures in one folder.
nlohmann::json CardOfJpegPictures(int pictures) {
  nlohmann::json files = nlohmann::json::array();
  for (int number = 1; number <= pictures; ++number) {
    char path[32];
    std::snprintf(path, sizeof path, "DCIM/100EOS/IMG_%04d.JPG", number);
    files.push_back(path);
  }
  return files;
}

constexpr int ListedPictures = 1000;

// The bytes of a thumbnail as the camera delivers it.
std::vector<std::uint8_t> CameraThumbnail() {
  SimulatedWorld world(OneCameraScenario(CardOfJpegPictures(1)));
  Connected<TVostrel> camera;
  ImageListType pictures = camera.component.OpenCameraCollection("", true);
  if (pictures.empty() || !pictures.front().Thumbnail) {
    throw std::runtime_error("the card picture has no thumbnail");
  }
  std::vector<std::uint8_t> bytes = pictures.front().Thumbnail->Bytes();
  camera.component.CloseCameraCollection(pictures);
  return bytes;
}

void CopyThumbnailBytes(benchmark::State& state) {
  const std::vector<std::uint8_t> thumbnail = CameraThumbnail();
  for (auto _ : state) {
    std::vector<std::uint8_t> copy = thumbnail;
    benchmark::DoNotOptimize(copy.data());
  }
}

void LoadThumbnail(benchmark::State& state) {
  const std::vector<std::uint8_t> thumbnail = CameraThumbnail();
  for (auto _ : state) {
    benchmark::DoNotOptimize(TJPEGImage::FromBytes(thumbnail));
  }
}

// Opens and closes the collection of the card through the controller.
void ListThroughController(benchmark::State& state, bool thumbnails) {
  SimulatedWorld world(OneCameraScenario(CardOfJpegPictures(ListedPictures)));
  Connected<TVostrel> camera;
  const auto list = [&camera, thumbnails] {
    ImageListType pictures = camera.component.OpenCameraCollection("", thumbnails);
    camera.component.CloseCameraCollection(pictures);
  };
  for (auto _ : state) {
    list();
  }
  ReportSdkCalls(state, list);
}

void ListDirectly(benchmark::State& state, bool thumbnails) {
  SimulatedWorld world(OneCameraScenario(CardOfJpegPictures(ListedPictures)));
  DirectEos camera;
  const auto list = [&camera, thumbnails] {
    DirectEos::Listing listing = camera.ListCard(thumbnails);
    DirectEos::Release(listing);
  };
  for (auto _ : state) {
    list();
  }
  ReportSdkCalls(state, list);
}

Body Listing(void (*list)(benchmark::State&, bool), bool thumbnails) {
  return [list, thumbnails](benchmark::State& state) { list(state, thumbnails); };
}

[[maybe_unused]] const bool registered =
    RegisterPair("Thumbnail into TJPEGImage", CopyThumbnailBytes, LoadThumbnail) &&
    RegisterPair("Card listing of 1000 JPEGs with thumbnails", Listing(ListDirectly, true),
                 Listing(ListThroughController, true)) &&
    RegisterPair("Card listing of 1000 JPEGs without thumbnails", Listing(ListDirectly, false),
                 Listing(ListThroughController, false));

} // namespace
} // namespace vostrel::bench
