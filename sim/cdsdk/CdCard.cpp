// The pictures on the card of a simulated CD camera: an enumeration of the
// JPEG and RAW files of a volume, every folder deep, in the card's order;
// their item records; the data of an opened picture (the picture or its
// thumbnail), written into the host's file with progress; deletion.

#include "sim/cdsdk/CdSimulator.h"

#include <algorithm>
#include <cstring>

namespace vostrel::sim::cd {

namespace {

// The type word of an item record.
constexpr cdUInt32 JpegItem = 1;
constexpr cdUInt32 RawItem = 2;

bool isPicture(const Entry& entry) {
  return entry.kind == FileKind::Jpeg || entry.kind == FileKind::Raw;
}

// The pictures below a folder, depth first, children in order. The folders
// being walked are kept on a list of their own, not on the call stack.
std::vector<std::shared_ptr<Entry>> picturesBelow(const std::shared_ptr<Entry>& root) {
  std::vector<std::shared_ptr<Entry>> pictures;
  std::vector<std::pair<const Entry*, std::size_t>> open{{root.get(), 0}};
  while (!open.empty()) {
    auto& [folder, next] = open.back();
    if (next == folder->children.size()) {
      open.pop_back();
      continue;
    }
    const std::shared_ptr<Entry>& child = folder->children[next++];
    if (child->isFolder()) {
      open.emplace_back(child.get(), 0);
    } else if (isPicture(*child)) {
      pictures.push_back(child);
    }
  }
  return pictures;
}

} // namespace

CdSimulator::Item& CdSimulator::requireItem(cdHandle handle) {
  const auto found = items_.find(handle);
  if (found == items_.end()) {
    fail(cdInvalidHandle);
  }
  if (!found->second.camera->attached) {
    fail(cdCommunicationDisconnected);
  }
  return found->second;
}

cdHandle CdSimulator::enumerateImageItems(cdHandle volumeHandle) {
  const VolumeObject& volume = requireVolume(volumeHandle);
  Enumeration enumeration;
  enumeration.listing = Listing::Pictures;
  enumeration.camera = volume.camera;
  enumeration.volume = volume.index;
  enumeration.pictures = picturesBelow(volume.camera->volumes.at(volume.index).root);
  for (std::size_t i = 0; i < enumeration.pictures.size(); ++i) {
    enumeration.items.push_back(static_cast<std::uint32_t>(i));
  }
  const cdHandle handle = newHandle();
  enumerations_[handle] = std::move(enumeration);
  return handle;
}

cdHandle CdSimulator::nextImageItem(cdHandle handle) {
  Enumeration& enumeration = requireEnumeration(handle, Listing::Pictures);
  if (!enumeration.camera->attached) {
    fail(cdCommunicationDisconnected);
  }
  if (enumeration.position >= enumeration.pictures.size()) {
    fail(cdEnumNotApplicable);
  }
  Item item;
  item.camera = enumeration.camera;
  item.picture = enumeration.pictures[enumeration.position++];
  item.volume = enumeration.volume;
  item.enumeration = handle;
  const cdHandle itemHandle = newHandle();
  items_[itemHandle] = std::move(item);
  return itemHandle;
}

// The record holds the name the camera reports, cut to the field and then
// without a terminator.
void CdSimulator::itemInfo(Call& call, cdHandle handle, void* info) {
  const Item& item = requireItem(handle);
  if (info == nullptr) {
    fail(cdInvalidPointer);
  }
  const Entry& picture = *item.picture;
  const std::string& name = picture.shownName();
  cdItemInfo record{};
  record.Type = picture.kind == FileKind::Raw ? RawItem : JpegItem;
  record.Size = static_cast<cdUInt32>(picture.content.size());
  std::memcpy(record.Name, name.data(), std::min(name.size(), sizeof record.Name));
  std::memcpy(info, &record, sizeof record);
  call.out("\"" + name + "\"");
}

void CdSimulator::openImage(cdHandle handle) {
  Item& item = requireItem(handle);
  if (item.picture->removed) {
    fail(cdInvalidHandle);
  }
  if (item.open) {
    fail(cdInvalidFunctionCall);
  }
  item.open = true;
}

void CdSimulator::closeImage(cdHandle handle) {
  Item& item = requireItem(handle);
  if (!item.open) {
    fail(cdInvalidFunctionCall);
  }
  item.open = false;
}

// The data of an opened picture; a picture without a thumbnail has none to
// give.
cdHandle CdSimulator::imageData(cdHandle handle, bool thumbnail) {
  const Item& item = requireItem(handle);
  if (!item.open) {
    fail(cdInvalidFunctionCall);
  }
  if (thumbnail && item.picture->thumbnail.empty()) {
    fail(cdNotSupported);
  }
  const cdHandle data = newHandle();
  data_[data] = ImageData{item.camera, item.picture, thumbnail};
  return data;
}

void CdSimulator::writeImageData(Call& call, cdHandle handle, const void* destination,
                                 cdProgressCallbackFunction progress, cdContext context) {
  const auto found = data_.find(handle);
  if (found == data_.end()) {
    fail(cdInvalidHandle);
  }
  const char* fileName = destinationFile(call, destination);
  // The bytes stay alive while the lock is released for the progress.
  const std::shared_ptr<Camera> camera = found->second.camera;
  const std::shared_ptr<Entry> picture = found->second.picture;
  const bool thumbnail = found->second.thumbnail;
  if (picture->removed) {
    fail(cdInvalidHandle);
  }
  const Bytes& data = thumbnail ? picture->thumbnail : picture->content;
  transferToFile(call, *camera, thumbnail ? "Thumbnail" : "Picture", data, fileName, progress,
                 context);
  call.out(std::to_string(data.size()) + " bytes");
}

void CdSimulator::freeData(cdHandle handle) {
  if (data_.erase(handle) == 0) {
    fail(cdInvalidHandle);
  }
}

// The picture leaves the card (one shot more is left); its item stays
// until its enumeration is released, but gives no data any more.
void CdSimulator::deleteImage(cdHandle volumeHandle, cdHandle itemHandle) {
  const VolumeObject& volume = requireVolume(volumeHandle);
  Item& item = requireItem(itemHandle);
  if (item.camera != volume.camera || item.volume != volume.index) {
    fail(cdInvalidParameter);
  }
  if (item.picture->removed) {
    fail(cdInvalidHandle);
  }
  removeEntry(item.picture);
  ++item.camera->availableShots;
  item.open = false;
}

} // namespace vostrel::sim::cd
