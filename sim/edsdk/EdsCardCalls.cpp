// Volumes and directory items of the simulated EDSDK: the card walk,
// transfers with progress, deletion and formatting.

#include "sim/edsdk/EdsFailure.h"
#include "sim/edsdk/EdsSimulator.h"
#include "sim/edsdk/EdsStreams.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vostrel::sim::eds {

namespace {

// A transfer is written in about this many blocks, each followed by a
// progress report.
constexpr std::size_t TransferBlocks = 8;
constexpr std::size_t MinimumBlock = 4096;

void checkFile(const Entry& entry) {
  if (entry.isFolder()) {
    fail(EdsErrInvalidParameter);
  }
}

} // namespace

VolumeInfoType EdsSimulator::volumeInfo(EdsVolumeRef volume) {
  const auto object = require<VolumeObject>(volume);
  if (!object->camera->sessionOpen) {
    fail(EdsErrSessionNotOpen);
  }
  const Volume& card = object->camera->volumes.at(object->index);
  std::size_t used = 0;
  forEachFile(*card.root,
              [&](const std::string&, const Entry& file) { used += file.content.size(); });
  VolumeInfoType info{};
  info.storageType = 1;
  info.access = 2;
  info.maxCapacityKilobytes = card.capacityKilobytes;
  const auto usedKilobytes = static_cast<std::uint32_t>((used + 1023) / 1024);
  info.freeSpaceKilobytes =
      card.capacityKilobytes - std::min(card.capacityKilobytes, usedKilobytes);
  std::strncpy(info.volumeLabel, card.label.c_str(), sizeof(info.volumeLabel) - 1);
  return info;
}

void EdsSimulator::formatVolume(EdsVolumeRef volume) {
  const auto object = require<VolumeObject>(volume);
  Camera& camera = *object->camera;
  if (!camera.attached) {
    fail(EdsErrCommDisconnected);
  }
  if (!camera.sessionOpen) {
    fail(EdsErrSessionNotOpen);
  }
  sim::formatVolume(camera.volumes.at(object->index));
  camera.availableShots = camera.shotsOnEmptyCard;
  if (camera.newestPicture && camera.newestPicture->removed) {
    camera.newestPicture.reset();
  }
}

DirectoryItemInfoType EdsSimulator::itemInfo(EdsDirectoryItemRef item) {
  const Entry& entry = *liveItem(item)->entry;
  DirectoryItemInfoType info{};
  info.size = static_cast<EdsUInt32>(entry.content.size());
  info.isFolder = entry.isFolder() ? 1 : 0;
  std::strncpy(info.fileName, entry.shownName().c_str(), sizeof(info.fileName) - 1);
  return info;
}

void EdsSimulator::deleteItem(EdsDirectoryItemRef item) {
  const auto object = liveItem(item);
  const auto& entry = object->entry;
  const auto files = static_cast<std::int32_t>(entry->isFolder() ? countFiles(*entry) : 1);
  const bool onCard = entry->onCard;
  removeEntry(entry);
  if (onCard) {
    object->camera->availableShots += files;
  }
}

// Writes the file into the stream in blocks. After each block the progress
// callback registered on the stream (option 2), or after the last one
// (option 1), gets the percentage done; it runs while this call waits, and
// may cancel the transfer.
void EdsSimulator::download(Call& call, EdsDirectoryItemRef item, EdsUInt32 size,
                            EdsStreamRef stream) {
  const auto object = liveItem(item);
  checkFile(*object->entry);
  const auto target = require<StreamObject>(stream);
  const std::shared_ptr<const Entry> entry = object->entry;
  if (size > entry->content.size()) {
    fail(EdsErrInvalidLength);
  }
  const std::size_t block = std::max(MinimumBlock, (size + TransferBlocks - 1) / TransferBlocks);
  std::size_t written = 0;
  do {
    // A camera unplugged while the host handled the last block sends no more.
    if (!object->camera->attached) {
      fail(EdsErrCommDisconnected);
    }
    const std::size_t count = std::min<std::size_t>(block, size - written);
    target->stream->write(entry->content.data() + written, count);
    written += count;
    const bool last = written == size;
    const bool report =
        target->progress != nullptr && (target->progressOption == EdsProgressPeriodically ||
                                        (target->progressOption == EdsProgressDone && last));
    if (report) {
      const auto percent = static_cast<EdsUInt32>(size == 0 ? 100 : written * 100 / size);
      const EdsProgressCallback callback = target->progress;
      void* const context = target->progressContext;
      EdsBool cancel = 0;
      call.deliverNow(
          {"Progress(" + std::to_string(percent) + ")",
           [callback, context, percent, &cancel] { callback(percent, context, &cancel); }});
      if (cancel != 0) {
        fail(EdsErrOperationCancelled);
      }
    }
  } while (written < size);
}

void EdsSimulator::downloadThumbnail(EdsDirectoryItemRef item, EdsStreamRef stream) {
  const auto object = liveItem(item);
  checkFile(*object->entry);
  const auto target = require<StreamObject>(stream);
  if (object->entry->thumbnail.empty()) {
    fail(EdsErrNotSupported);
  }
  const Entry& entry = *object->entry;
  switch (entry.thumbnailStream) {
  case ThumbnailStream::Plain:
    target->stream->write(entry.thumbnail);
    return;
  case ThumbnailStream::Endless:
    target->stream = std::make_shared<EndlessStream>(entry.thumbnail, entry.thumbnail.size());
    return;
  case ThumbnailStream::EndlessHuge:
    target->stream = std::make_shared<EndlessStream>(entry.thumbnail, 0xFFFFFFFFu);
    return;
  }
}

// A picture that waited only for its transfer leaves the camera with it.
void EdsSimulator::downloadComplete(EdsDirectoryItemRef item) {
  const auto object = liveItem(item);
  checkFile(*object->entry);
  if (!object->entry->onCard) {
    object->entry->removed = true;
    if (object->camera->newestPicture == object->entry) {
      object->camera->newestPicture.reset();
    }
  }
}

} // namespace vostrel::sim::eds
