// Transfer throughput: a picture downloaded through the whole stack (the
// component, the EOS backend and the simulated EDSDK.DLL) against the same
// picture downloaded by the SDK calls the backend makes, straight through
// the same binding (DirectEos). Both ways of fetching: a card picture by the
// controller's GetPicture, and a picture the camera announces in remote mode
// by the control's RemoteGetPicture. Each with nobody listening to the
// progress, and with a host whose progress handler is assigned (on the
// direct side the SDK's progress callback passes each report to the same
// kind of handler).
//
// Counters: the peak heap of one transfer in KiB (it should not grow with
// the picture), and for the stack the pause after each progress report
// measured on the real clock: the pauses of one transfer and the share of
// its real time they take. The timed runs skip the pauses.
//
// Both sides write a file that does not exist yet: the target is removed in
// every iteration. Rewriting a truncated file makes some file systems (ext4)
// flush it on close, which would measure the disk rather than the code.

#include "activex/VostrelActiveX.h"
#include "bench/BenchSupport.h"
#include "bench/DirectEos.h"
#include "bench/HeapCounter.h"
#include "bench/SimulatedCamera.h"
#include "core/Vostrel.h"
#include "eos/EDSDK.h"
#include "platform/FileSystem.h"
#include "sim/SimControl.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace vostrel::bench {
namespace {

constexpr const char* PicturePath = "DCIM/100EOS/IMG_0001.DAT";
// The object event by which a camera announces a picture for the host.
constexpr std::uint32_t TransferRequest = 0x0208;

// Whether a host listens to the progress of the transfer.
enum class Host { Silent, Listening };

// The host's progress handler: it only counts.
struct ProgressHandler {
  std::int64_t Reports = 0;
  std::function<void(std::int32_t)> Handler = [this](std::int32_t) { ++Reports; };
};

// The SDK's progress callback on the direct side; the context is the host's
// handler, or null when nobody listens.
EdsError EDSCALLBACK DirectProgress(EdsUInt32 percent, void* context, EdsBool*) {
  if (context != nullptr) {
    static_cast<ProgressHandler*>(context)->Handler(static_cast<std::int32_t>(percent));
  }
  return 0;
}

std::string OnePictureCard(std::size_t bytes) {
  return OneCameraScenario(nlohmann::json::array({DataFile(PicturePath, bytes)}));
}

// Times the transfer, then runs it once more for its peak heap and, for the
// stack, once on the real clock for its pauses.
void Measure(benchmark::State& state, std::size_t bytes, bool throughStack,
             const std::function<void()>& transfer) {
  {
    const CountedPauses skipped(CountedPauses::Mode::Skip);
    for (auto _ : state) {
      transfer();
    }
    ReportRatio(state, "peak heap KiB", static_cast<double>(PeakHeapGrowth(transfer)) / 1024);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes));
  if (!throughStack) {
    return;
  }
  const CountedPauses pauses(CountedPauses::Mode::Real);
  const auto started = std::chrono::steady_clock::now();
  transfer();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ReportRatio(state, "pauses/transfer", static_cast<double>(pauses.Count()));
  ReportRatio(state, "pause share of real time", pauses.Seconds() / seconds);
}

void DirectGetPicture(benchmark::State& state, std::size_t bytes, Host host) {
  SimulatedWorld world(OnePictureCard(bytes));
  DirectEos camera;
  DirectEos::Listing card = camera.ListCard(false);
  ProgressHandler handler;
  void* const context = host == Host::Listening ? &handler : nullptr;
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  Measure(state, bytes, false, [&] {
    platform::removeFile(target);
    DirectEos::Download(card.Files.at(0), target, &DirectProgress, context);
  });
  DirectEos::Release(card);
}

void CardGetPicture(benchmark::State& state, std::size_t bytes, Host host) {
  SimulatedWorld world(OnePictureCard(bytes));
  ProgressHandler handler;
  Connected<TVostrel> camera;
  if (host == Host::Listening) {
    camera.component.OnGetPictureEvent = handler.Handler;
  }
  ImageListType pictures = camera.component.OpenCameraCollection("", false);
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  Measure(state, bytes, true, [&] {
    platform::removeFile(target);
    camera.component.GetPicture(0, false, target);
  });
  camera.component.CloseCameraCollection(pictures);
}

// The direct side's object handler keeps every announced picture.
EdsError EDSCALLBACK KeepAnnounced(EdsUInt32 event, void* object, void* context) {
  if (event == TransferRequest) {
    static_cast<std::deque<EdsDirectoryItemRef>*>(context)->push_back(object);
  } else if (object != nullptr) {
    static_cast<void>(edsdk::EdsRelease(object));
  }
  return 0;
}

// The announcement is part of every iteration, on both sides.
void DirectRemoteGetPicture(benchmark::State& state, std::size_t bytes, Host host) {
  SimulatedWorld world(OnePictureCard(bytes));
  DirectEos camera;
  std::deque<EdsDirectoryItemRef> announced;
  edsdk::EdsSetObjectEventHandler.checked(camera.Camera(), EdsObjectEventAll, &KeepAnnounced,
                                          static_cast<void*>(&announced));
  ProgressHandler handler;
  void* const context = host == Host::Listening ? &handler : nullptr;
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  Measure(state, bytes, false, [&] {
    platform::removeFile(target);
    Simulator().raiseEvent(0, VOSTREL_SIM_OBJECT_EVENT, TransferRequest);
    const EdsDirectoryItemRef item = announced.at(0);
    announced.pop_front();
    DirectEos::Download(item, target, &DirectProgress, context);
    edsdk::EdsRelease.checked(item);
  });
  edsdk::EdsSetObjectEventHandler.checked(camera.Camera(), EdsObjectEventAll, nullptr, nullptr);
}

void ControlRemoteGetPicture(benchmark::State& state, std::size_t bytes, Host host) {
  SimulatedWorld world(OnePictureCard(bytes));
  ProgressHandler handler;
  Connected<TVostrelActiveX> camera;
  if (host == Host::Listening) {
    // An EOS camera reports the transfer as take-picture progress.
    camera.component.OnRemoteTakePictureEvent = handler.Handler;
    camera.component.OnRemoteGetPictureEvent = handler.Handler;
  }
  StartRemoteMode(camera.component);
  ScratchFolder folder;
  const std::string target = folder.File("picture");
  Measure(state, bytes, true, [&] {
    platform::removeFile(target);
    Simulator().raiseEvent(0, VOSTREL_SIM_OBJECT_EVENT, TransferRequest);
    camera.component.RemoteGetPicture(target, PictureTypeFull);
  });
}

using Transfer = void (*)(benchmark::State&, std::size_t, Host);

Body With(Transfer transfer, std::size_t bytes, Host host) {
  return [=](benchmark::State& state) { transfer(state, bytes, host); };
}

constexpr std::size_t KiB = 1024;
constexpr std::size_t MiB = 1024 * KiB;

bool RegisterTransfers(const std::string& name, Transfer direct, Transfer stack) {
  for (const auto& [bytes, size] : {std::pair{64 * KiB, "64 KiB"}, std::pair{16 * MiB, "16 MiB"},
                                    std::pair{64 * MiB, "64 MiB"}}) {
    for (const Host host : {Host::Silent, Host::Listening}) {
      RegisterPair(name + " " + size + (host == Host::Listening ? ", host listening" : ""),
                   With(direct, bytes, host), With(stack, bytes, host));
    }
  }
  return true;
}

[[maybe_unused]] const bool registered =
    RegisterTransfers("Card GetPicture", DirectGetPicture, CardGetPicture) &&
    RegisterTransfers("Control RemoteGetPicture", DirectRemoteGetPicture, ControlRemoteGetPicture);

} // namespace
} // namespace vostrel::bench
