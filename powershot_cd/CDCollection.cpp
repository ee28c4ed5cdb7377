// The card collection of a CD camera: the pictures of the first volume as
// the SDK enumerates them, with their thumbnails on request, downloaded and
// deleted by their position in the list. The SDK writes thumbnails and
// pictures into files itself; a picture's name from the camera is never part
// of a file name.

#include "powershot_cd/CDSDKApi.h"

#include "core/BackendChecks.h"
#include "core/ECamException.h"
#include "core/JPEGImage.h"
#include "core/TryFinally.h"
#include "platform/FileSystem.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDCalls.h"
#include "powershot_cd/CDItemRecord.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace vostrel {

namespace {

using namespace cdapi;

// Every thumbnail goes through this one file of the temporary folder.
constexpr char ThumbnailFileName[] = "Thumb.jpg";

// The room reserved for a listing up front, however many pictures the camera
// counts; more grows the list as they arrive.
constexpr std::size_t ListingReserve = 4096;

// The name of a picture, from its item record. The record is cleared first,
// so a camera that fills in less leaves no stale bytes behind.
std::string ItemName(cdHandle item) {
  cdItemInfo info{};
  CDGetItemInfo.checked(item, static_cast<void*>(&info));
  return CDItemName(info);
}

// Has the SDK write the data behind a data handle into the file, with its
// progress through the handler when there is one. The data handle is freed
// whatever happens.
void WriteImageData(cdHandle data, const std::string& fileName, cdProgressCallbackFunction progress,
                    cdContext context) {
  TryFinally(
      [&] {
        cdStgMedium destination{};
        destination.Kind = cdMediumFile;
        destination.FileName = fileName.c_str();
        CDGetImageData.checked(data, static_cast<void*>(&destination), progress, context,
                               progress != nullptr ? cdProgressOption : cdUInt32{0});
      },
      [&] { Unchecked(CDFreeImageItem, data); });
}

// Runs the step with the picture's image open; it is closed whatever
// happens.
template <typename Step>
void WithOpenImage(cdHandle item, Step step) {
  CDOpenImage.checked(item);
  TryFinally(step, [&] { Unchecked(CDCloseImage, item); });
}

// The picture's thumbnail, written by the SDK into the thumbnail file and
// loaded from there.
std::shared_ptr<TJPEGImage> ItemThumbnail(cdHandle item, const std::string& thumbnailFile) {
  std::shared_ptr<TJPEGImage> thumbnail;
  WithOpenImage(item, [&] {
    cdHandle data = 0;
    CDGetThumbnail.checked(item, &data);
    WriteImageData(data, thumbnailFile, nullptr, 0);
    thumbnail = TJPEGImage::FromFile(thumbnailFile);
  });
  return thumbnail;
}

} // namespace

void TCDSDK::OpenCameraCollection(const std::string& temporaryDirectory, bool thumbnails,
                                  ImageListType& list) {
  // The list handed out before loses its pictures' handles now: the new
  // listing replaces it.
  ReleaseItemEnumeration();
  OpenFirstVolume();
  cdHandle enumeration = 0;
  CDEnumImageItemReset.checked(Volume, cdImageItemDepth, cdImageItemOption, &enumeration);
  ItemEnumeration = enumeration;
  // The folder is taken as the host gives it, a trailing separator and all.
  const std::string thumbnailFile =
      temporaryDirectory + platform::pathSeparator() + ThumbnailFileName;
  ImageListType found;
  try {
    cdUInt32 count = 0;
    CDGetImageItemCount.checked(ItemEnumeration, &count);
    found.reserve(std::min<std::size_t>(count, ListingReserve));
    ItemHandles.reserve(std::min<std::size_t>(count, ListingReserve));
    for (cdUInt32 n = 0; n < count; ++n) {
      cdHandle item = 0;
      CDEnumImageItemNext.checked(ItemEnumeration, &item);
      ItemHandles.push_back(item);
      ImageDataType& picture = found.emplace_back();
      picture.Name = ItemName(item);
      if (thumbnails) {
        picture.Thumbnail = ItemThumbnail(item, thumbnailFile);
      }
    }
  } catch (...) {
    // The caller keeps the list it had; none of its pictures can be reached
    // through this collection any more.
    ReleaseItemEnumeration();
    throw;
  }
  list = std::move(found);
}

void TCDSDK::ReleaseItemEnumeration() noexcept {
  ItemHandles.clear();
  if (ItemEnumeration != 0) {
    Unchecked(CDEnumImageItemRelease, std::exchange(ItemEnumeration, cdHandle{0}));
  }
}

// The handles of the listed pictures go with the enumeration: no later
// GetPicture or DeletePicture reaches them. The collection ends closed, with
// the list empty, also when the SDK refuses the enumeration back.
void TCDSDK::CloseCameraCollection(ImageListType& list) {
  if (ItemEnumeration == 0) {
    throw ECamException("CloseCameraCollection : No collection is open");
  }
  ItemHandles.clear();
  TryFinally([&] { CDEnumImageItemRelease.checked(std::exchange(ItemEnumeration, cdHandle{0})); },
             [&] { list.clear(); });
}

void TCDSDK::GetPicture(std::int32_t pictureNumber, const std::string& fileName,
                        GetPictureProgressHandlerFn handler, std::int32_t instanceIndex) {
  CheckPictureNumber("Requested download of picture", pictureNumber, ItemHandles.size());
  const cdHandle item = ItemHandles[static_cast<std::size_t>(pictureNumber)];
  WithOpenImage(item, [&] {
    cdHandle data = 0;
    CDGetPicture.checked(item, &data);
    WriteImageData(data, fileName, handler, static_cast<cdContext>(instanceIndex));
  });
}

// The later pictures move down by one in the list and among the handles,
// which stay aligned.
void TCDSDK::DeletePicture(ImageListType& list, std::int32_t pictureNumber) {
  if (pictureNumber < 0 || static_cast<std::size_t>(pictureNumber) >= list.size() ||
      static_cast<std::size_t>(pictureNumber) >= ItemHandles.size()) {
    throw ECamException("Not valid number of picture to delete");
  }
  const auto position = static_cast<std::ptrdiff_t>(pictureNumber);
  CDDeleteImage.checked(Volume, ItemHandles[static_cast<std::size_t>(pictureNumber)]);
  list.erase(list.begin() + position);
  ItemHandles.erase(ItemHandles.begin() + position);
}

} // namespace vostrel
