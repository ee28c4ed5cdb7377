#include "tools/CardScopes.h"

#include "platform/FileSystem.h"
#include "tools/Commands.h"
#include "tools/ToolError.h"

#include <algorithm>
#include <cctype>

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
  // Folders and drives as any system writes them: the camera's name is not
  // read as a path of this one.
  const std::size_t folderEnd = cardName.find_last_of("/\\:");
  const std::string name =
      folderEnd == std::string::npos ? cardName : cardName.substr(folderEnd + 1);
  const bool control =
      std::any_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
  if (name.empty() || name == "." || name == ".." || control) {
    throw ToolError("The camera reports a picture named \"" + cardName +
                    "\", which cannot be saved as a file");
  }
  return name;
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

bool IsRAWName(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  for (char& c : extension) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return extension == ".CR2" || extension == ".CRW";
}

CardListing ListCard(TVostrelActiveX& control, const std::string& thumbnailFolder,
                     std::ostream& out) {
  CardListing listing;
  const std::vector<std::int32_t> numbers = AllPictureNumbers(control);
  out << "  " << numbers.size() << " pictures on the card\n";
  for (const std::int32_t number : numbers) {
    listing.Names.push_back(control.OpenCameraCollection_NameOfImage(number));
    out << "  " << number << '\t' << listing.Names.back() << '\n';
  }
  CreateOutputFolder(thumbnailFolder);
  for (const std::int32_t number : numbers) {
    const std::string& name = listing.Names[static_cast<std::size_t>(number)];
    if (!IsRAWName(name)) {
      control.OpenCameraCollection_GetThumbnail(number, ThumbnailFile(thumbnailFolder, name));
      ++listing.Thumbnails;
    }
  }
  out << "  " << listing.Thumbnails << " thumbnails saved in " << thumbnailFolder << '\n';
  return listing;
}

} // namespace vostrel::tools
