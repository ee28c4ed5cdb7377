#pragma once
// The card of a simulated camera: volumes holding folders and files. Entries
// are shared, so an SDK reference to a file stays usable as an object after
// the file is deleted; the entry is then marked removed.

#include "sim/world/Bytes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vostrel::sim {

enum class FileKind { Folder, Jpeg, Raw, Data };

// How a simulated SDK hands out a file's thumbnail: as it is, or, to try a
// host against a faulty SDK, in a stream whose reads never run out, which
// reports the thumbnail's length (Endless) or 4294967295 bytes (EndlessHuge).
enum class ThumbnailStream { Plain, Endless, EndlessHuge };

struct Entry {
  Entry() = default;
  Entry(const Entry&) = default;
  Entry& operator=(const Entry&) = default;
  // Takes the folders below apart one by one, so that a card nested however
  // deep is freed without exhausting the stack.
  ~Entry();

  std::string name;
  // The name the camera reports for the file where that differs from
  // `name`: a camera's names are whatever its firmware makes of them.
  std::string reportedName;
  FileKind kind = FileKind::Folder;
  std::uint32_t number = 0; // picture number of a generated picture
  Bytes content;
  Bytes thumbnail; // JPEG; empty when the file has none
  ThumbnailStream thumbnailStream = ThumbnailStream::Plain;
  std::vector<std::shared_ptr<Entry>> children;
  std::weak_ptr<Entry> parent;
  bool removed = false; // deleted, formatted away or discarded after transfer
  bool onCard = true;   // false for a picture kept only until it is transferred

  bool isFolder() const { return kind == FileKind::Folder; }
  // The name the camera reports for the entry.
  const std::string& shownName() const { return reportedName.empty() ? name : reportedName; }
  std::shared_ptr<Entry> child(const std::string& childName) const;
};

struct Volume {
  std::string label = "CF";
  std::uint32_t capacityKilobytes = 1024 * 1024;
  std::shared_ptr<Entry> root = std::make_shared<Entry>();
};

// Splits "DCIM/100EOS_S/IMG_0001.JPG" (also with '\\') into its parts.
std::vector<std::string> splitPath(const std::string& path);

// The folder at the path, created with every missing parent.
std::shared_ptr<Entry> ensureFolder(Volume& volume, const std::string& path);
// The entry at the path, or null.
std::shared_ptr<Entry> findEntry(const Volume& volume, const std::string& path);
// Adds a file or folder to a folder.
void addChild(const std::shared_ptr<Entry>& folder, const std::shared_ptr<Entry>& child);
// Takes an entry off its folder and marks it and everything below removed.
void removeEntry(const std::shared_ptr<Entry>& entry);
// Empties the volume.
void formatVolume(Volume& volume);

// Every file below a folder, depth first, children in order, with its path
// relative to the folder ("DCIM/100EOS_S/IMG_0001.JPG"). The walks of the
// card keep their place in lists of their own, not on the call stack.
void forEachFile(const Entry& folder,
                 const std::function<void(const std::string& path, const Entry& file)>& visit);
std::size_t countFiles(const Entry& folder);
// The same for every folder below a folder, a folder before what it holds.
void forEachFolder(const Entry& folder,
                   const std::function<void(const std::string& path, const Entry& folder)>& visit);
// The path of an entry below its volume's root.
std::string entryPath(const Entry& entry);

} // namespace vostrel::sim
