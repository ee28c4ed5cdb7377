// Transfer throughput: a picture downloaded through the whole stack (the
// component, the EOS backend and the simulated EDSDK.DLL) against copying
// the same number of bytes from file to file with the platform file layer.
// Both sides also report their peak heap use for one transfer as a share of
// the picture size.
//
// Both sides write a file that does not exist yet: the target is removed in
// every iteration. Rewriting a truncated file makes some file systems (ext4)
// flush it on close, which would measure the disk rather than the code.

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "bench/HeapCounter.h"
#include "bench/SimulatedCamera.h"
#include "core/Vostrel.h"
#include "platform/FileSystem.h"
#include "sim/SimControl.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vostrel::bench {
namespace {

constexpr const char* PicturePath = "DCIM/100EOS/IMG_0001.DAT";
// The object event by which a camera announces a picture for the host.
constexpr std::uint32_t TransferRequest = 0x0208;

// A camera whose card holds one picture of this size.
std::string OnePictureCard(std::size_t bytes) {
  return OneCameraScenario(nlohmann::json::array({DataFile(PicturePath, bytes)}));
}

void ReportPeakHeap(benchmark::State& state, std::size_t pictureBytes,
                    const std::function<void()>& transfer) {
  const std::size_t peak = PeakHeapGrowth(transfer);
  ReportRatio(state, "peak heap/picture",
              static_cast<double>(peak) / static_cast<double>(pictureBytes));
}

void SetBytesProcessed(benchmark::State& state, std::size_t pictureBytes) {
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(pictureBytes));
}

// The baseline: the same bytes read from one file and written to another.
void FileCopy(benchmark::State& state, std::size_t bytes) {
  ScratchFolder folder;
  const std::string source = folder.File("source");
  const std::string target = folder.File("target");
  platform::writeFile(source, std::vector<std::uint8_t>(bytes, 'x'));
  const auto copy = [&] {
    platform::removeFile(target);
    platform::writeFile(target, platform::readFile(source));
  };
  for (auto _ : state) {
    copy();
  }
  SetBytesProcessed(state, bytes);
  ReportPeakHeap(state, bytes, copy);
}

// A picture of the card collection, fetched by the controller's GetPicture.
void CardGetPicture(benchmark::State& state, std::size_t bytes) {
  SimulatedWorld world(OnePictureCard(bytes));
  Connected<TVostrel> camera;
  ImageListType pictures = camera.component.OpenCameraCollection("", false);
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  const auto download = [&] {
    platform::removeFile(target);
    camera.component.GetPicture(0, false, target);
  };
  for (auto _ : state) {
    download();
  }
  SetBytesProcessed(state, bytes);
  ReportPeakHeap(state, bytes, download);
  camera.component.CloseCameraCollection(pictures);
}

// A picture that the camera announces in remote mode, fetched by the
// control's RemoteGetPicture. The announcement is part of every iteration.
void ControlRemoteGetPicture(benchmark::State& state, std::size_t bytes) {
  SimulatedWorld world(OnePictureCard(bytes));
  Connected<TVostrelActiveX> camera;
  StartRemoteMode(camera.component);
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  const auto announceAndDownload = [&] {
    platform::removeFile(target);
    Simulator().raiseEvent(0, VOSTREL_SIM_OBJECT_EVENT, TransferRequest);
    camera.component.RemoteGetPicture(target, PictureTypeFull);
  };
  for (auto _ : state) {
    announceAndDownload();
  }
  SetBytesProcessed(state, bytes);
  ReportPeakHeap(state, bytes, announceAndDownload);
}

Body With(void (*benchmark)(benchmark::State&, std::size_t), std::size_t bytes) {
  return [benchmark, bytes](benchmark::State& state) { benchmark(state, bytes); };
}

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

[[maybe_unused]] const bool registered =
    RegisterPair("Card GetPicture 64 KiB", With(FileCopy, 64 * KiB),
                 With(CardGetPicture, 64 * KiB)) &&
    RegisterPair("Card GetPicture 16 MiB", With(FileCopy, 16 * MiB),
                 With(CardGetPicture, 16 * MiB)) &&
    RegisterPair("Control RemoteGetPicture 16 MiB", With(FileCopy, 16 * MiB),
                 With(ControlRemoteGetPicture, 16 * MiB));

} // namespace
} // namespace vostrel::bench
