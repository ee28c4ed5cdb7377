// Cameras, sessions, commands, properties and event handlers of the
// simulated EDSDK.

#include "sim/edsdk/EdsFailure.h"
#include "sim/edsdk/EdsSimulator.h"
#include "sim/world/Pictures.h"

#include <algorithm>
#include <cstring>

namespace vostrel::sim::eds {

namespace {

// Owner names hold at most 31 characters and the terminating zero.
constexpr std::size_t OwnerCapacity = 32;

Bytes clockBytes(const CameraClock& clock) {
  Bytes bytes;
  for (std::uint32_t field : {clock.year, clock.month, clock.day, clock.hour, clock.minute,
                              clock.second, clock.millisecond}) {
    appendU32(bytes, field);
  }
  return bytes;
}

CameraClock clockOf(const Bytes& bytes) {
  return {readU32(bytes, 0),  readU32(bytes, 4),  readU32(bytes, 8), readU32(bytes, 12),
          readU32(bytes, 16), readU32(bytes, 20), readU32(bytes, 24)};
}

// The attributes of the world camera that the SDK shows as properties.
std::optional<PropertyValue> attribute(const Camera& camera, EdsUInt32 id) {
  switch (id) {
  case EdsPropBodyID:
    return PropertyValue{EdsDataTypeUInt32, u32Bytes(camera.bodyId), 4};
  case EdsPropOwnerName:
    return PropertyValue{EdsDataTypeString, textBytes(camera.owner), OwnerCapacity};
  case EdsPropDateTime:
    return PropertyValue{EdsDataTypeTime, clockBytes(camera.clock), sizeof(CameraTimeType)};
  case EdsPropBatteryLevel:
    return PropertyValue{EdsDataTypeUInt32, u32Bytes(camera.battery), 4};
  case EdsPropAvailableShots:
    return PropertyValue{EdsDataTypeUInt32,
                         u32Bytes(static_cast<std::uint32_t>(camera.availableShots)), 4};
  default:
    return std::nullopt;
  }
}

PropertyValue cameraProperty(const Camera& camera, EdsUInt32 id) {
  if (auto value = attribute(camera, id)) {
    return *value;
  }
  const Property* property = camera.property(id);
  if (property == nullptr) {
    fail(EdsErrPropertiesUnavailable);
  }
  return {property->dataType, property->value, property->size()};
}

PropertyValue imageProperty(const ImageObject& image, EdsUInt32 id) {
  switch (id) {
  case EdsPropWhiteBalance:
    return {EdsDataTypeInt32, u32Bytes(image.whiteBalance), 4};
  case EdsPropColorTemperature:
    return {EdsDataTypeUInt32, u32Bytes(image.kelvin), 4};
  default:
    fail(EdsErrPropertiesUnavailable);
  }
}

void checkParameter(EdsInt32 parameter) {
  if (parameter != 0) {
    fail(EdsErrInvalidParameter);
  }
}

EdsError refusalOf(const Property& property) {
  return property.refusal != 0 ? property.refusal : EdsErrInvalidParameter;
}

void checkEvent(EdsUInt32 event, EdsUInt32 all) {
  if (event < all || event > all + 0xFF) {
    fail(EdsErrInvalidParameter);
  }
}

} // namespace

EdsCameraListRef EdsSimulator::cameraList() {
  auto list = std::make_shared<CameraListObject>();
  for (const auto& camera : world().cameras) {
    if (camera->attached) {
      list->cameras.push_back(camera);
    }
  }
  return handles_.add(list);
}

DeviceInfoType EdsSimulator::deviceInfo(EdsCameraRef camera) {
  const auto found = connectedCamera(camera);
  DeviceInfoType info{};
  std::strncpy(info.portName, found->port.c_str(), sizeof(info.portName) - 1);
  std::strncpy(info.deviceDescription, found->model.c_str(), sizeof(info.deviceDescription) - 1);
  info.deviceSubType = 1;
  return info;
}

void EdsSimulator::openSession(EdsCameraRef camera) {
  const auto found = connectedCamera(camera);
  if (found->sessionOpen) {
    fail(EdsErrSessionAlreadyOpen);
  }
  found->sessionOpen = true;
}

void EdsSimulator::closeSession(EdsCameraRef camera) {
  sessionCamera(camera)->sessionOpen = false;
}

void EdsSimulator::sendCommand(Call& call, EdsCameraRef camera, EdsUInt32 command,
                               EdsInt32 parameter) {
  const auto found = sessionCamera(camera);
  checkParameter(parameter);
  switch (command) {
  case EdsCommandTakePicture:
    releaseShutter(call, found);
    break;
  case EdsCommandExtendShutDownTimer:
    ++found->keepAwakeCount;
    break;
  default:
    fail(EdsErrNotSupported);
  }
}

// A release stores the picture on the card (save-to 1 or 3) and asks the
// host to transfer it (save-to 2 or 3) with object event 0x208. A RAW image
// quality gives a RAW file, and a JPEG beside it when the quality has one.
void EdsSimulator::releaseShutter(Call& call, const std::shared_ptr<Camera>& camera) {
  const Property* saveToProperty = camera->property(EdsPropSaveTo);
  const EdsUInt32 saveTo = saveToProperty ? readU32(saveToProperty->value, 0) : EdsSaveToCamera;
  const bool toCard = (saveTo & EdsSaveToCamera) != 0;
  const bool toHost = (saveTo & EdsSaveToHost) != 0;
  if (toCard && camera->volumes.empty()) {
    fail(EdsErrDeviceNoDisk);
  }
  if (toCard && camera->availableShots <= 0) {
    fail(EdsErrDeviceMemoryFull);
  }

  const Property* quality = camera->property(EdsPropImageQuality);
  const bool raw = quality && readU32(quality->value, 4) == EdsImageFormatRAW;
  const bool jpeg = !raw || readU32(quality->value, 16) == EdsImageFormatJPEG;
  const Property* whiteBalance = camera->property(EdsPropWhiteBalance);
  const Property* kelvin = camera->property(EdsPropColorTemperature);
  RawShot shot = family().defaultRawShot();
  shot.whiteBalance = whiteBalance ? readU32(whiteBalance->value, 0) : 0;
  shot.kelvin = kelvinForWhiteBalance(shot.whiteBalance, shot.kelvin,
                                      kelvin ? readU32(kelvin->value, 0) : shot.kelvin);

  std::vector<std::shared_ptr<Entry>> pictures;
  const std::uint32_t number = camera->nextFileNumber;
  const ShotMark mark = camera->nextShotMark();
  auto addPicture = [&](FileKind kind, const std::string& extension, PictureFile file) {
    auto entry = std::make_shared<Entry>();
    entry->name = camera->pictureName(extension);
    entry->kind = kind;
    entry->number = number;
    entry->content = std::move(file.content);
    entry->thumbnail = std::move(file.thumbnail);
    pictures.push_back(entry);
  };
  if (raw) {
    addPicture(FileKind::Raw, family().rawExtension(), makeReleasedRawPicture(number, shot, mark));
  }
  if (jpeg) {
    addPicture(FileKind::Jpeg, ".JPG", makeReleasedJpegPicture(number, mark));
  }

  for (const auto& picture : pictures) {
    if (toCard) {
      camera->storePicture(picture);
    } else {
      picture->onCard = false;
    }
    camera->newestPicture = picture;
  }
  camera->nextFileNumber = number % 9999 + 1;
  camera->countRelease(call.startedAt());
  if (toCard) {
    --camera->availableShots;
  }
  if (toHost) {
    for (const auto& picture : pictures) {
      if (auto event = objectEvent(camera, EdsObjectEventTransferRequest, 0, picture)) {
        call.raise(std::move(*event));
      }
    }
  }
}

PropertyValue EdsSimulator::readProperty(EdsBaseRef reference, EdsUInt32 id) const {
  if (std::dynamic_pointer_cast<ImageObject>(handles_.find(reference))) {
    return imageProperty(*require<ImageObject>(reference), id);
  }
  return cameraProperty(*sessionCamera(reference), id);
}

void EdsSimulator::propertySize(EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter,
                                EdsUInt32& dataType, EdsUInt32& size) {
  checkParameter(parameter);
  const PropertyValue value = readProperty(reference, id);
  dataType = value.dataType;
  size = static_cast<EdsUInt32>(value.size);
}

void EdsSimulator::getProperty(EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter,
                               EdsUInt32 size, void* data) {
  checkParameter(parameter);
  const PropertyValue value = readProperty(reference, id);
  if (data == nullptr) {
    fail(EdsErrInvalidPointer);
  }
  if (size < value.bytes.size()) {
    fail(EdsErrInvalidLength);
  }
  std::memcpy(data, value.bytes.data(), value.bytes.size());
}

void EdsSimulator::setProperty(Call& call, EdsBaseRef reference, EdsUInt32 id, EdsInt32 parameter,
                               EdsUInt32 size, const void* data) {
  checkParameter(parameter);
  if (data == nullptr) {
    fail(EdsErrInvalidPointer);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  Bytes value(bytes, bytes + size);
  if (std::dynamic_pointer_cast<ImageObject>(handles_.find(reference))) {
    writeImageProperty(*require<ImageObject>(reference), id, value);
    return;
  }
  writeCameraProperty(call, *sessionCamera(reference), id, std::move(value));
}

void EdsSimulator::writeCameraProperty(Call& call, Camera& camera, EdsUInt32 id, Bytes value) {
  bool changed = false;
  switch (id) {
  case EdsPropBodyID:
  case EdsPropBatteryLevel:
  case EdsPropAvailableShots:
    fail(EdsErrNotSupported);
  case EdsPropOwnerName: {
    if (value.empty() || value.size() > OwnerCapacity ||
        std::find(value.begin(), value.end(), 0) == value.end()) {
      fail(EdsErrInvalidLength);
    }
    const std::string owner = bytesText(value);
    changed = owner != camera.owner;
    camera.owner = owner;
    break;
  }
  case EdsPropDateTime: {
    if (value.size() != sizeof(CameraTimeType)) {
      fail(EdsErrInvalidLength);
    }
    const CameraClock clock = clockOf(value);
    if (!clock.valid()) {
      fail(EdsErrInvalidParameter);
    }
    changed = !(clock == camera.clock);
    camera.clock = clock;
    break;
  }
  default: {
    Property* property = camera.property(id);
    if (property == nullptr) {
      fail(EdsErrPropertiesUnavailable);
    }
    normaliseWrite(id, value);
    switch (property->write(value)) {
    case WriteOutcome::Applied:
      changed = true;
      break;
    case WriteOutcome::Unchanged:
      break;
    case WriteOutcome::Refused:
      fail(refusalOf(*property));
    case WriteOutcome::WrongSize:
      fail(EdsErrInvalidLength);
    case WriteOutcome::ReadOnly:
      fail(EdsErrNotSupported);
    }
  }
  }
  if (changed) {
    if (auto event = propertyEvent(camera, EdsPropertyEventValueChanged, id, 0)) {
      call.raise(std::move(*event));
    }
  }
}

void EdsSimulator::writeImageProperty(ImageObject& image, EdsUInt32 id, const Bytes& value) {
  if (id != EdsPropWhiteBalance && id != EdsPropColorTemperature) {
    fail(EdsErrPropertiesUnavailable);
  }
  if (value.size() != 4) {
    fail(EdsErrInvalidLength);
  }
  const std::uint32_t code = readU32(value, 0);
  if (id == EdsPropWhiteBalance) {
    if (code > 31 || (image.picture.supportedWhiteBalances & (1u << code)) == 0) {
      fail(EdsErrInvalidParameter);
    }
    image.whiteBalance = code;
    return;
  }
  if (code < MinimumKelvin || code > MaximumKelvin) {
    fail(EdsErrInvalidParameter);
  }
  image.kelvin = code;
}

PropertyDescType EdsSimulator::propertyDesc(EdsBaseRef reference, EdsUInt32 id) {
  const auto camera = sessionCamera(reference);
  PropertyDescType desc{};
  if (attribute(*camera, id)) {
    desc.access = id == EdsPropOwnerName || id == EdsPropDateTime ? EdsPropertyAccessReadWrite
                                                                  : EdsPropertyAccessRead;
    return desc;
  }
  const Property* property = camera->property(id);
  if (property == nullptr) {
    fail(EdsErrPropertiesUnavailable);
  }
  desc.access = property->writable ? EdsPropertyAccessReadWrite : EdsPropertyAccessRead;
  const bool listed = property->accepted && (property->kind == ValueKind::Signed ||
                                             property->kind == ValueKind::Unsigned);
  if (!listed) {
    return desc;
  }
  desc.form = EdsPropertyFormEnumeration;
  const std::size_t count = std::min<std::size_t>(property->accepted->size(), 128);
  desc.numElements = static_cast<EdsInt32>(count);
  for (std::size_t i = 0; i < count; ++i) {
    desc.propDesc[i] = static_cast<EdsInt32>(readU32((*property->accepted)[i], 0));
  }
  return desc;
}

void EdsSimulator::setPropertyHandler(EdsCameraRef camera, EdsUInt32 event,
                                      EdsPropertyEventHandler handler, void* context) {
  const auto found = require<CameraObject>(camera)->camera;
  checkEvent(event, EdsPropertyEventAll);
  handlers_[found.get()].property = {event, handler, context};
}

void EdsSimulator::setObjectHandler(EdsCameraRef camera, EdsUInt32 event,
                                    EdsObjectEventHandler handler, void* context) {
  const auto found = require<CameraObject>(camera)->camera;
  checkEvent(event, EdsObjectEventAll);
  handlers_[found.get()].object = {event, handler, context};
}

void EdsSimulator::setStateHandler(EdsCameraRef camera, EdsUInt32 event,
                                   EdsStateEventHandler handler, void* context) {
  const auto found = require<CameraObject>(camera)->camera;
  checkEvent(event, EdsStateEventAll);
  handlers_[found.get()].state = {event, handler, context};
}

} // namespace vostrel::sim::eds
