#pragma once
// Scopes for the card and RAW work of the command-line host: the card's
// picture list and an opened RAW file, each closed again at the end of the
// scope, and the names of the files the host writes for card pictures.

#include "activex/VostrelActiveX.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vostrel::tools {

// The card's picture list of the connected camera, closed at the end.
class CollectionScope {
public:
  CollectionScope(TVostrelActiveX& control, bool thumbnails);
  ~CollectionScope();
  CollectionScope(const CollectionScope&) = delete;
  CollectionScope& operator=(const CollectionScope&) = delete;

private:
  TVostrelActiveX& control_;
};

// An opened RAW file, closed at the end. Closing also stops the camera SDKs
// again when no camera is connected.
class RAWScope {
public:
  RAWScope(TVostrelActiveX& control, const std::string& fileName);
  ~RAWScope();
  RAWScope(const RAWScope&) = delete;
  RAWScope& operator=(const RAWScope&) = delete;

  // Closes the file now and reports a failure to do so.
  void Close();

private:
  TVostrelActiveX& control_;
  bool open_ = false;
};

// The file name of a card picture without any folder or drive the camera puts
// in it, whatever its separators ('/', '\\', ':'). Picture names come from
// the camera and are never taken as paths: a name that leaves no file name
// ("..", "C:", "DCIM/") raises ToolError.
std::string PlainName(const std::string& cardName);
// The file a picture's thumbnail is saved to: NAME-thumb.jpg in the folder.
std::string ThumbnailFile(const std::string& folder, const std::string& cardName);
// 0, 1, ... up to the number of pictures in the open list.
std::vector<std::int32_t> AllPictureNumbers(const TVostrelActiveX& control);
// Whether the picture's name is that of a RAW picture (.CR2, .CRW).
bool IsRAWName(const std::string& name);

// The open list's pictures, and the thumbnails saved from it.
struct CardListing {
  std::vector<std::string> Names;
  std::size_t Thumbnails = 0;
};
// Shows the open list ("  <number>\t<name>" each) and saves the thumbnail of
// every JPEG picture into the folder (the list must have been opened with
// thumbnails).
CardListing ListCard(TVostrelActiveX& control, const std::string& thumbnailFolder,
                     std::ostream& out);

} // namespace vostrel::tools
