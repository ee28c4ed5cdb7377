#include "activex/Thumbnails.h"

#include "core/ECamException.h"
#include "core/JPEGImage.h"

namespace vostrel {

const ImageDataType& ThumbnailEntry(const ImageListType& list, bool thumbnailsRequested,
                                    std::int32_t PictureNumber) {
  if (!thumbnailsRequested) {
    throw ECamException("Thumbnail not received since not set in OpenCameraCollection");
  }
  const auto number = static_cast<std::int64_t>(PictureNumber);
  if (number > static_cast<std::int64_t>(list.size()) - 1) {
    throw ECamException("PictureNumber too high. Picture " + std::to_string(PictureNumber) +
                        " does not exists");
  }
  if (number < 0) {
    throw ECamException("PictureNumber too low. Picture " + std::to_string(PictureNumber) +
                        " does not exist");
  }
  const ImageDataType& entry = list[static_cast<std::size_t>(number)];
  if (!entry.Thumbnail) {
    throw ECamException("Picture " + std::to_string(PictureNumber) + " (" + entry.Name +
                        ") has no thumbnail");
  }
  return entry;
}

void SaveThumbnail(const ImageDataType& entry, const std::string& FileName) {
  entry.Thumbnail->SaveToFile(FileName);
}

} // namespace vostrel
