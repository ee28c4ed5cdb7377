// Release control of the simulated CD cameras: entering and leaving it with
// a release event handler, the data kind, releases that take a JPEG picture
// with progress and announce it with a release event from the simulator's
// thread, and the transfer of released data into the host's file.

#include "sim/cdsdk/CdSimulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vostrel::sim::cd {

namespace {

// The released data reaches the file in blocks of this size, each with its
// progress report.
constexpr std::size_t TransferBlockSize = 16384;

constexpr cdUInt32 AllDataKinds = cdReleaseThumbnailToPC | cdReleasePictureToPC |
                                  cdReleaseThumbnailToCard | cdReleasePictureToCard;

PendingCallback progressCallback(const std::string& what, cdProgressCallbackFunction progress,
                                 cdUInt32 percent, cdContext context) {
  return PendingCallback{what + "Progress(" + std::to_string(percent) + ")",
                         [progress, percent, context] { progress(percent, 0, context); }};
}

// Closes the file when the transfer ends, however it ends.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

CdSimulator::Source& CdSimulator::underReleaseControl(cdHandle handle) {
  Source& source = attachedSource(handle);
  if (!source.releaseControl) {
    fail(cdInvalidFunctionCall);
  }
  return source;
}

void CdSimulator::enterReleaseControl(cdHandle handle, cdReleaseEventCallbackFunction callback,
                                      cdContext context) {
  Source& source = attachedSource(handle);
  if ((releaseControlFaculty(handle) & cdReleaseControlCapRemote) == 0) {
    fail(cdNotSupported);
  }
  if (source.releaseControl) {
    fail(cdInvalidFunctionCall);
  }
  source.releaseControl = true;
  source.releaseCallback = callback;
  source.releaseContext = context;
}

void CdSimulator::exitReleaseControl(cdHandle handle) {
  leaveReleaseControl(underReleaseControl(handle));
}

void CdSimulator::leaveReleaseControl(Source& source) {
  stoppedStreams_.stop(source.viewfinder, source.camera);
  source.releaseControl = false;
  source.releaseCallback = nullptr;
  source.released.clear();
  source.focusLocked = false;
}

void CdSimulator::selectReleaseDataKind(cdHandle handle, cdUInt32 kind) {
  Source& source = underReleaseControl(handle);
  if (kind == 0 || (kind & ~AllDataKinds) != 0) {
    fail(cdInvalidParameter);
  }
  source.dataKind = kind;
}

// The release reports its progress during the call; the release event with
// the count of data items it made for the PC follows from the simulator's
// thread once the call has returned.
void CdSimulator::release(Call& call, cdHandle handle, cdProgressCallbackFunction progress,
                          cdContext context, cdUInt32* count) {
  Source& source = underReleaseControl(handle);
  Camera& camera = *source.camera;
  const bool toCard = (source.dataKind & (cdReleaseThumbnailToCard | cdReleasePictureToCard)) != 0;
  if (toCard && (camera.volumes.empty() || camera.availableShots <= 0)) {
    fail(cdDeviceMemoryFull);
  }
  if (count == nullptr) {
    fail(cdInvalidPointer);
  }
  if (progress != nullptr) {
    call.deliverNow(progressCallback("Release", progress, 50, context));
  }
  const std::shared_ptr<Entry> picture = camera.releaseJpegPicture(toCard, call.startedAt());
  const std::size_t waiting = source.released.size();
  if ((source.dataKind & cdReleaseThumbnailToPC) != 0) {
    source.released.push_back(Released{picture, true});
  }
  if ((source.dataKind & cdReleasePictureToPC) != 0) {
    source.released.push_back(Released{picture, false});
  }
  *count = static_cast<cdUInt32>(source.released.size() - waiting);
  call.out(std::to_string(*count));
  if (progress != nullptr) {
    call.deliverNow(progressCallback("Release", progress, 100, context));
  }
  if (source.releaseCallback != nullptr) {
    const auto items = std::make_shared<cdUInt32>(*count);
    call.raise(PendingCallback{
        "ReleaseEvent(source#" + std::to_string(handle) + ", " +
            std::to_string(cdReleaseEventComplete) + ", " + std::to_string(*items) + ")",
        [callback = source.releaseCallback, context = source.releaseContext, items] {
          callback(cdReleaseEventComplete, items.get(), 0, context);
        }});
  }
}

const char* CdSimulator::destinationFile(Call& call, const void* destination) {
  if (destination == nullptr) {
    fail(cdInvalidPointer);
  }
  const auto& medium = *static_cast<const cdStgMedium*>(destination);
  if (medium.Kind != cdMediumFile || medium.FileName == nullptr) {
    fail(cdInvalidParameter);
  }
  call.argument(textArgument(medium.FileName));
  return medium.FileName;
}

void CdSimulator::transferToFile(Call& call, const Camera& camera, const std::string& what,
                                 const Bytes& data, const char* fileName,
                                 cdProgressCallbackFunction progress, cdContext context) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "wb"));
  if (!file) {
    fail(cdFileOpenError);
  }
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min(TransferBlockSize, data.size() - offset);
    // A full disk takes the part that fits, as a file system does.
    const std::size_t fits = call.simulator().failures().takeDiskSpace(length);
    if ((fits > 0 && std::fwrite(data.data() + offset, 1, fits, file.get()) != fits) ||
        fits < length) {
      std::fflush(file.get());
      fail(cdFileWriteError);
    }
    offset += length;
    if (progress != nullptr) {
      const auto percent = static_cast<cdUInt32>(data.empty() ? 100 : offset * 100 / data.size());
      call.deliverNow(progressCallback(what, progress, percent, context));
    }
    // A camera unplugged while the host handled the last block sends no more.
    if (offset < data.size() && !camera.attached) {
      std::fflush(file.get());
      fail(cdCommunicationDisconnected);
    }
  } while (offset < data.size());
  if (std::fflush(file.get()) != 0) {
    fail(cdFileWriteError);
  }
}

void CdSimulator::releasedData(Call& call, cdHandle handle, cdProgressCallbackFunction progress,
                               cdContext context, void* info, const void* destination) {
  Source& source = underReleaseControl(handle);
  if (info == nullptr || destination == nullptr) {
    fail(cdInvalidPointer);
  }
  const char* fileName = destinationFile(call, destination);
  if (source.released.empty()) {
    fail(cdInvalidFunctionCall);
  }
  // The item is fetched once, whether its transfer succeeds or not.
  const Released item = source.released.front();
  source.released.pop_front();
  const Bytes& data = item.thumbnail ? item.picture->thumbnail : item.picture->content;
  transferToFile(call, *source.camera, "Transfer", data, fileName, progress, context);
  // What the SDK tells of the transfer: the data kind and the size.
  cdReleaseImageInfo released{};
  const cdUInt32 kind = item.thumbnail ? cdReleaseThumbnailToPC : cdReleasePictureToPC;
  const auto size = static_cast<cdUInt32>(data.size());
  std::memcpy(released.Data, &kind, sizeof kind);
  std::memcpy(released.Data + 4, &size, sizeof size);
  std::memcpy(info, &released, sizeof released);
  call.out(std::to_string(size) + " bytes");
}

cdUInt32 CdSimulator::availableShots(cdHandle handle) {
  return static_cast<cdUInt32>(std::max(underReleaseControl(handle).camera->availableShots, 0));
}

} // namespace vostrel::sim::cd
