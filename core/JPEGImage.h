#pragma once
// TJPEGImage: the thumbnail of a card picture. It keeps the JPEG bytes it is
// loaded from, reads their header on loading (data that is not JPEG is
// refused there) and writes the same bytes unchanged when it saves itself.
// Nothing is decoded or re-encoded.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vostrel {

class TJPEGImage {
public:
  // The largest thumbnail taken from a camera or its file. The cameras'
  // thumbnails are a few kilobytes; more is not a thumbnail.
  static constexpr std::size_t MaximumSize = 4 * 1024 * 1024;

  // Raises ECamException "The thumbnail is not a JPEG picture" when the
  // bytes do not start with a readable JPEG header.
  static std::shared_ptr<TJPEGImage> FromBytes(std::vector<std::uint8_t> bytes);
  // The same for the bytes of a regular file of at most MaximumSize bytes
  // ("The thumbnail file <name> is too large" beyond that); file-layer
  // errors propagate.
  static std::shared_ptr<TJPEGImage> FromFile(const std::string& fileName);

  std::int32_t Width() const { return Width_; }
  std::int32_t Height() const { return Height_; }
  const std::vector<std::uint8_t>& Bytes() const { return Bytes_; }

  // Creates or replaces the file with the bytes the image was loaded from.
  void SaveToFile(const std::string& fileName) const;

private:
  TJPEGImage(std::vector<std::uint8_t> bytes, std::int32_t width, std::int32_t height)
      : Bytes_(std::move(bytes)), Width_(width), Height_(height) {}

  std::vector<std::uint8_t> Bytes_;
  std::int32_t Width_;
  std::int32_t Height_;
};

} // namespace vostrel
