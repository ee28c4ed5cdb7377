// The card collection of an EOS camera: the pictures on the first volume,
// listed depth first with their thumbnails, downloaded and deleted by their
// position in the list.

#include "core/BackendChecks.h"
#include "core/ECamException.h"
#include "core/JPEGImage.h"
#include "core/TryFinally.h"
#include "core/Vostrel.h"
#include "eos/CardWalkLimit.h"
#include "eos/EDSDK.h"
#include "eos/EDSDKApi.h"

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <string>
#include <utility>
#include <vector>

namespace vostrel {

namespace edsdk {

namespace {
std::atomic<std::uint64_t> MaximumEntries{DefaultMaximumCardEntries};
} // namespace

std::uint64_t MaximumCardEntries() noexcept {
  return MaximumEntries.load();
}

ScopedMaximumCardEntries::ScopedMaximumCardEntries(std::uint64_t maximum) noexcept
    : previous_(MaximumEntries.exchange(maximum)) {}

ScopedMaximumCardEntries::~ScopedMaximumCardEntries() {
  MaximumEntries.store(previous_);
}

} // namespace edsdk

namespace {

using namespace edsdk;

// What ProgressMode says while a card picture is transferred, and after.
constexpr std::uint8_t NoTransfer = 0;
constexpr std::uint8_t CardPictureTransfer = 2;

constexpr EdsUInt32 FolderFlag = 1;

// Only files with exactly this extension get a thumbnail; the case counts.
constexpr const char* ThumbnailExtension = ".JPG";

std::string FileNameOf(const DirectoryItemInfoType& info) {
  const char* end = std::find(std::begin(info.fileName), std::end(info.fileName), '\0');
  return std::string(info.fileName, end);
}

DirectoryItemInfoType DirectoryItemInfoOf(EdsDirectoryItemRef item) {
  DirectoryItemInfoType info{};
  EdsGetDirectoryItemInfo.checked(item, &info);
  return info;
}

bool IsFolder(const DirectoryItemInfoType& info) {
  return info.isFolder == FolderFlag;
}

// The extension runs from the last dot, the dot included.
bool HasThumbnailExtension(const std::string& fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot != std::string::npos &&
         fileName.compare(dot, std::string::npos, ThumbnailExtension) == 0;
}

// Thumbnails are read from their stream in blocks of this many bytes.
constexpr EdsUInt32 ThumbnailReadBlock = 64 * 1024;

// Copies the stream from its beginning, a block per read, up to the length
// the stream reports; a read that delivers nothing ends the copy early, and
// a read never counts for more than it was asked.
std::vector<std::uint8_t> ReadWholeStream(EdsStreamRef stream) {
  EdsSeek.checked(stream, 0, EdsSeekBegin);
  EdsUInt32 length = 0;
  EdsGetLength.checked(stream, &length);
  if (length > TJPEGImage::MaximumSize) {
    throw ECamException("The thumbnail is too large: the camera reports " + std::to_string(length) +
                        " bytes");
  }

  std::vector<std::uint8_t> bytes(length);
  EdsUInt32 filled = 0;
  while (filled < length) {
    const EdsUInt32 wanted = std::min(ThumbnailReadBlock, length - filled);
    EdsUInt32 read = 0;
    EdsRead.checked(stream, wanted, bytes.data() + filled, &read);
    if (read == 0) {
      break;
    }
    filled += std::min(read, wanted);
  }
  bytes.resize(filled);
  return bytes;
}

// The camera's thumbnail of a JPEG file on the card, or none for any other
// file. Data that is not JPEG raises ECamException.
std::shared_ptr<TJPEGImage> ThumbnailOf(EdsDirectoryItemRef item, const std::string& fileName) {
  EdsStreamRef stream = nullptr;
  EdsCreateMemoryStream.checked(EdsUInt32{0}, &stream);
  std::shared_ptr<TJPEGImage> thumbnail;
  TryFinally(
      [&] {
        if (!HasThumbnailExtension(fileName)) {
          return;
        }
        EdsDownloadThumbnail.checked(item, stream);
        thumbnail = TJPEGImage::FromBytes(ReadWholeStream(stream));
      },
      [&] { EdsRelease.checked(stream); });
  return thumbnail;
}

} // namespace

void TEDSDK::OpenCameraCollection(const std::string& /*temporaryDirectory*/, bool thumbnails,
                                  ImageListType& list) {
  // Picture numbers must match the list handed out last, so an open
  // collection is closed before a new one is built.
  if (CollectionOpen()) {
    ReleaseCollection();
  }

  // Only the first volume (the card) is walked.
  Volume = FirstVolume("OpenCameraCollection");

  ImageListType found;
  try {
    WalkChildren(Volume, thumbnails, found);
  } catch (...) {
    // The caller receives no list, so no picture number may reach the
    // references taken so far; the walk's failure is the one reported.
    try {
      ReleaseCollection();
    } catch (const ECamException&) {
    }
    throw;
  }
  list = std::move(found);
}

namespace {

// A folder (or the volume) whose children are being walked.
struct OpenFolder {
  EdsBaseRef Folder;
  EdsUInt32 ChildCount;
  EdsUInt32 NextChild;
};

// The children that the folders opened so far report, against the bound: a
// folder cycle or an endless count ends the walk before its entries are
// listed.
class EntryBudget {
public:
  EdsUInt32 ChildCountOf(EdsBaseRef parent) {
    EdsUInt32 count = 0;
    EdsGetChildCount.checked(parent, &count);
    if (count > Maximum - Announced) {
      throw ECamException("OpenCameraCollection: the card reports more than " +
                          std::to_string(Maximum) + " files and folders");
    }
    Announced += count;
    return count;
  }

private:
  const std::uint64_t Maximum = MaximumCardEntries();
  std::uint64_t Announced = 0;
};

// The information of a child just taken from its parent. A child whose
// information cannot be read is referenced nowhere else, so it is given back.
DirectoryItemInfoType ChildInfoOf(EdsDirectoryItemRef child) {
  try {
    return DirectoryItemInfoOf(child);
  } catch (...) {
    EdsRelease.checked(child);
    throw;
  }
}

} // namespace

// Depth first, children in the order the SDK numbers them. The folders being
// walked are kept on a list of their own rather than on the call stack, so
// that a card nested however deep cannot exhaust the stack; the files and
// folders listed, and so that list, are bounded by MaximumCardEntries.
void TEDSDK::WalkChildren(EdsBaseRef parent, bool thumbnails, ImageListType& list) {
  // The parent itself stays with the caller; the folders below it are given
  // back when their walk ends, or fails.
  EntryBudget budget;
  std::vector<OpenFolder> open{{parent, budget.ChildCountOf(parent), 0}};
  try {
    while (!open.empty()) {
      OpenFolder& current = open.back();
      if (current.NextChild == current.ChildCount) {
        const EdsBaseRef walked = current.Folder;
        open.pop_back();
        if (!open.empty()) {
          EdsRelease.checked(walked);
        }
        continue;
      }
      EdsDirectoryItemRef child = nullptr;
      EdsGetChildAtIndex.checked(current.Folder, static_cast<EdsInt32>(current.NextChild++),
                                 &child);
      // Each item's information is read once: it says whether the item is a
      // folder and names a file.
      const DirectoryItemInfoType info = ChildInfoOf(child);
      if (IsFolder(info)) {
        // On the list before its count is asked for, so that a failure
        // gives it back too.
        open.push_back({child, 0, 0});
        open.back().ChildCount = budget.ChildCountOf(child);
        continue;
      }
      AppendPicture(child, info, thumbnails, list);
    }
  } catch (...) {
    // Every folder still open is given back, innermost first; a failure to
    // do so replaces the walk's, so the last failure is the one reported.
    std::exception_ptr failure = std::current_exception();
    while (open.size() > 1) {
      const EdsBaseRef folder = open.back().Folder;
      open.pop_back();
      try {
        EdsRelease.checked(folder);
      } catch (...) {
        failure = std::current_exception();
      }
    }
    std::rethrow_exception(failure);
  }
}

void TEDSDK::AppendPicture(EdsDirectoryItemRef item, const DirectoryItemInfoType& info,
                           bool thumbnails, ImageListType& list) {
  // Position k of CollectionItems is picture number k of the list.
  CollectionItems.push_back(item);
  ImageDataType& picture = list.emplace_back();
  picture.Name = FileNameOf(info);
  picture.BackendData = 0;
  if (thumbnails) {
    picture.Thumbnail = ThumbnailOf(item, picture.Name);
  }
}

void TEDSDK::CloseCameraCollection(ImageListType& list) {
  if (!CollectionOpen()) {
    throw ECamException("CloseCameraCollection : No collection is open");
  }
  // The list goes even when a reference cannot be given back: the collection
  // is closed either way. The thumbnails go with their elements.
  TryFinally([&] { ReleaseCollection(); }, [&] { list.clear(); });
}

bool TEDSDK::CollectionOpen() const {
  return Volume != nullptr || !CollectionItems.empty();
}

// Every reference is forgotten before it is given back, so a failing release
// is never repeated, and the others are given back all the same: the
// collection ends closed, and the first failure is reported.
void TEDSDK::ReleaseCollection() {
  FirstFailure failure;
  if (Volume != nullptr) {
    failure.Run([&] { EdsRelease.checked(std::exchange(Volume, nullptr)); });
  }
  while (!CollectionItems.empty()) {
    EdsDirectoryItemRef item = CollectionItems.back();
    CollectionItems.pop_back();
    failure.Run([&] { EdsRelease.checked(item); });
  }
  failure.Raise();
}

void TEDSDK::GetPicture(std::int32_t pictureNumber, const std::string& fileName,
                        std::int32_t /*instanceIndex*/) {
  CheckNameLength("Filename ", fileName);
  CheckPictureNumber("Requested download of picture", pictureNumber, CollectionItems.size());
  EdsDirectoryItemRef item = CollectionItems[static_cast<std::size_t>(pictureNumber)];

  EdsStreamRef stream = nullptr;
  EdsCreateFileStream.checked(fileName.c_str(), EdsFileCreateAlways, EdsAccessWrite, &stream);
  TryFinally(
      [&] {
        const DirectoryItemInfoType info = DirectoryItemInfoOf(item);
        // The progress reaches the host as OnGetPictureEvent.
        EdsSetProgressCallback.checked(stream, &TVostrel::EOSProgressHandler,
                                       EdsProgressPeriodically, HandlerContext());
        ProgressMode.store(CardPictureTransfer);
        EdsDownload.checked(item, info.size, stream);
      },
      [&] {
        // A partly written file stays on disk; the item stays in the
        // collection and can be downloaded again.
        ProgressMode.store(NoTransfer);
        EdsRelease.checked(stream);
        EdsDownloadComplete.checked(item);
      });
}

void TEDSDK::DeletePicture(ImageListType& list, std::int32_t pictureNumber) {
  CheckPictureNumber("Requested delete of picture", pictureNumber, CollectionItems.size());
  const auto position = static_cast<std::size_t>(pictureNumber);
  EdsDirectoryItemRef item = CollectionItems[position];
  EdsDeleteDirectoryItem.checked(item);

  // The later pictures move down by one in both lists, which stay aligned.
  CollectionItems.erase(CollectionItems.begin() + static_cast<std::ptrdiff_t>(position));
  if (position < list.size()) {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(position));
  }
  // Nothing refers to the deleted item any more.
  EdsRelease.checked(item);
}

// The SDK takes file names of at most 254 characters.
void TEDSDK::CheckNameLength(const std::string& what, const std::string& fileName) {
  constexpr std::size_t MaximumLength = 254;
  if (fileName.size() > MaximumLength) {
    throw ECamException(what + fileName + " too long");
  }
}

} // namespace vostrel
