// Thumbnails of card pictures: loading a thumbnail into TJPEGImage (which
// reads its JPEG header with libjpeg) against a plain copy of its bytes, and
// listing the card with thumbnails against listing it without.

#include "bench/BenchSupport.h"
#include "bench/SimulatedCamera.h"
#include "core/JPEGImage.h"
#include "core/Vostrel.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vostrel::bench {
namespace {

constexpr int CardPictures = 6;

nlohmann::json CardOfJpegPictures() {
  nlohmann::json files = nlohmann::json::array();
  for (int number = 1; number <= CardPictures; ++number) {
    files.push_back("DCIM/100EOS/IMG_000" + std::to_string(number) + ".JPG");
  }
  return files;
}

// The bytes of a thumbnail as the camera delivers it.
std::vector<std::uint8_t> CameraThumbnail() {
  SimulatedWorld world(OneCameraScenario(CardOfJpegPictures()));
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

// Opens and closes the collection of a card of JPEG pictures.
void ListCard(benchmark::State& state, bool thumbnails) {
  SimulatedWorld world(OneCameraScenario(CardOfJpegPictures()));
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

[[maybe_unused]] const bool registered =
    RegisterPair("Thumbnail into TJPEGImage", CopyThumbnailBytes, LoadThumbnail) &&
    RegisterPair(
        "Card listing of 6 JPEGs with thumbnails",
        [](benchmark::State& state) { ListCard(state, false); },
        [](benchmark::State& state) { ListCard(state, true); });

} // namespace
} // namespace vostrel::bench
