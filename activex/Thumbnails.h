#pragma once
// The thumbnails of the card's pictures, as the control hands them out.

#include "core/CamDefines.h"

#include <cstdint>
#include <string>

namespace vostrel {

// The entry of picture PictureNumber whose thumbnail a host asks for. Raises
// ECamException when the list was opened without thumbnails ("Thumbnail not
// received since not set in OpenCameraCollection"), when the number is past
// the end ("PictureNumber too high. Picture <n> does not exists"), when it is
// negative, and when the picture has no thumbnail (the cameras make them for
// JPEG pictures only).
const ImageDataType& ThumbnailEntry(const ImageListType& list, bool thumbnailsRequested,
                                    std::int32_t PictureNumber);

// Writes the entry's thumbnail, byte for byte as the camera sent it, to the
// file, creating or replacing it.
void SaveThumbnail(const ImageDataType& entry, const std::string& FileName);

} // namespace vostrel
