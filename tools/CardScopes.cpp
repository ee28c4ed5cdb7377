#include "tools/CardScopes.h"

#include "platform/FileSystem.h"

#include <filesystem>

namespace vostrel::tools {

CollectionScope::CollectionScope(TVostrelActiveX& control, bool thumbnails) : control_(control) {
  control_.OpenCameraCollection(platform::temporaryFolder(), thumbnails);
}

CollectionScope::~CollectionScope() {
  try {
    control_.CloseCameraCollection();
  } catch (...) {
    // A failure that matters was reported by the command already.
  }
}

RAWScope::RAWScope(TVostrelActiveX& control, const std::string& fileName) : control_(control) {
  control_.OpenRAWObject(fileName);
  open_ = true;
}

RAWScope::~RAWScope() {
  try {
    Close();
  } catch (...) {
    // The failure that ended the command early is the one reported.
  }
}

void RAWScope::Close() {
  if (open_) {
    open_ = false;
    control_.CloseRAWObject();
  }
}

std::string PlainName(const std::string& cardName) {
  return std::filesystem::path(cardName).filename().string();
}

std::string ThumbnailFile(const std::string& folder, const std::string& cardName) {
  const std::filesystem::path name = PlainName(cardName);
  return (std::filesystem::path(folder) / (name.stem().string() + "-thumb.jpg")).string();
}

std::vector<std::int32_t> AllPictureNumbers(const TVostrelActiveX& control) {
  std::vector<std::int32_t> numbers(
      static_cast<std::size_t>(control.OpenCameraCollection_GetNrOfPictures()));
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    numbers[i] = static_cast<std::int32_t>(i);
  }
  return numbers;
}

} // namespace vostrel::tools
