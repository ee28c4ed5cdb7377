#include "bench/DirectEos.h"

#include "core/ECamException.h"
#include "eos/EDSDK.h"

#include <algorithm>
#include <iterator>

namespace vostrel::bench {

namespace {

using namespace edsdk;

constexpr const char* ThumbnailExtension = ".JPG";

bool HasThumbnailExtension(const DirectoryItemInfoType& info) {
  const std::string name(info.fileName,
                         std::find(std::begin(info.fileName), std::end(info.fileName), '\0'));
  const std::size_t dot = name.rfind('.');
  return dot != std::string::npos && name.compare(dot, std::string::npos, ThumbnailExtension) == 0;
}

std::vector<std::uint8_t> ThumbnailOf(EdsDirectoryItemRef item) {
  EdsStreamRef stream = nullptr;
  EdsCreateMemoryStream.checked(EdsUInt32{0}, &stream);
  std::vector<std::uint8_t> bytes;
  try {
    EdsDownloadThumbnail.checked(item, stream);
    EdsUInt32 length = 0;
    EdsGetLength.checked(stream, &length);
    bytes.resize(length);
    EdsSeek.checked(stream, 0, EdsSeekBegin);
    EdsUInt32 read = 0;
    EdsRead.checked(stream, length, bytes.data(), &read);
    bytes.resize(read);
  } catch (...) {
    static_cast<void>(EdsRelease(stream));
    throw;
  }
  EdsRelease.checked(stream);
  return bytes;
}

void Walk(EdsBaseRef parent, bool thumbnails, DirectEos::Listing& listing) {
  EdsUInt32 children = 0;
  EdsGetChildCount.checked(parent, &children);
  for (EdsUInt32 index = 0; index < children; ++index) {
    EdsDirectoryItemRef child = nullptr;
    EdsGetChildAtIndex.checked(parent, static_cast<EdsInt32>(index), &child);
    DirectoryItemInfoType info{};
    EdsGetDirectoryItemInfo.checked(child, &info);
    if (info.isFolder != 0) {
      Walk(child, thumbnails, listing);
      EdsRelease.checked(child);
      continue;
    }
    listing.Files.push_back(child);
    if (thumbnails && HasThumbnailExtension(info)) {
      listing.Thumbnails.push_back(ThumbnailOf(child));
    }
  }
}

} // namespace

DirectEos::DirectEos() {
  LoadEDSDK();
  EdsInitializeSDK.checked();
  EdsCameraListRef cameras = nullptr;
  EdsGetCameraList.checked(&cameras);
  const EdsError found = EdsGetChildAtIndex(cameras, 0, &camera_);
  EdsRelease.checked(cameras);
  if (found != 0) {
    throw ECamException("The benchmark needs an EOS camera");
  }
  EdsOpenSession.checked(camera_);
}

DirectEos::~DirectEos() {
  static_cast<void>(EdsCloseSession(camera_));
  static_cast<void>(EdsRelease(camera_));
  static_cast<void>(EdsTerminateSDK());
}

DirectEos::Listing DirectEos::ListCard(bool thumbnails) {
  EdsVolumeRef volume = nullptr;
  EdsGetChildAtIndex.checked(camera_, 0, &volume);
  Listing listing;
  Walk(volume, thumbnails, listing);
  EdsRelease.checked(volume);
  return listing;
}

void DirectEos::Release(Listing& listing) {
  for (EdsDirectoryItemRef file : listing.Files) {
    EdsRelease.checked(file);
  }
  listing = {};
}

void DirectEos::Download(EdsDirectoryItemRef item, const std::string& fileName,
                         EdsProgressCallback progress, void* context) {
  DirectoryItemInfoType info{};
  EdsGetDirectoryItemInfo.checked(item, &info);
  EdsStreamRef stream = nullptr;
  EdsCreateFileStream.checked(fileName.c_str(), EdsFileCreateAlways, EdsAccessWrite, &stream);
  try {
    EdsSetProgressCallback.checked(stream, progress, EdsProgressPeriodically, context);
    EdsDownload.checked(item, info.size, stream);
  } catch (...) {
    static_cast<void>(EdsRelease(stream));
    throw;
  }
  EdsRelease.checked(stream);
  EdsDownloadComplete.checked(item);
}

} // namespace vostrel::bench
