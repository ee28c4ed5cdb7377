// Release control of the simulated PR cameras: entering and leaving it,
// releases that store a JPEG picture and announce it with event 0xC008, the
// transfer of released data in blocks, and the property descriptions.

#include "sim/prsdk/PrSimulator.h"
#include "sim/world/Pictures.h"

#include <algorithm>

namespace vostrel::sim::pr {

namespace {

// Property 0xD029: 1, 2, 3 thumbnail, picture, both to the PC; 4, 8, 12 the
// same to the card.
constexpr std::uint32_t DestinationThumbnailToPC = 1;
constexpr std::uint32_t DestinationPictureToPC = 2;
constexpr std::uint32_t DestinationThumbnailToCard = 4;
constexpr std::uint32_t DestinationToCard = 4 | 8;
constexpr std::uint32_t DefaultDestination = DestinationPictureToPC;

// Data types of the picture transfer protocol for descriptions.
constexpr std::uint16_t DataTypeInt8 = 0x0001;
constexpr std::uint16_t DataTypeUInt8 = 0x0002;
constexpr std::uint16_t DataTypeInt16 = 0x0003;
constexpr std::uint16_t DataTypeUInt16 = 0x0004;
constexpr std::uint8_t FormRange = 1;
constexpr std::uint8_t FormEnumeration = 2;

void appendWidth(Bytes& bytes, const Bytes& value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) {
    bytes.push_back(i < value.size() ? value[i] : 0);
  }
}

// The range form: minimum, maximum and step of the accepted values (the
// smallest distance between two of them).
void appendRange(Bytes& bytes, const std::vector<Bytes>& values, std::size_t width) {
  std::vector<std::uint32_t> numbers;
  for (const Bytes& value : values) {
    numbers.push_back(readU32(value, 0));
  }
  std::sort(numbers.begin(), numbers.end());
  std::uint32_t step = 0;
  for (std::size_t i = 1; i < numbers.size(); ++i) {
    const std::uint32_t distance = numbers[i] - numbers[i - 1];
    if (distance != 0 && (step == 0 || distance < step)) {
      step = distance;
    }
  }
  step = std::max<std::uint32_t>(step, 1);
  bytes.push_back(FormRange);
  appendWidth(bytes, u32Bytes(numbers.empty() ? 0 : numbers.front()), width);
  appendWidth(bytes, u32Bytes(numbers.empty() ? 0 : numbers.back()), width);
  appendWidth(bytes, u32Bytes(step), width);
}

} // namespace

PrSimulator::CameraObject& PrSimulator::underReleaseControl(prHandle handle) {
  CameraObject& object = connected(handle);
  if (!object.releaseControl) {
    fail(prInvalidFunctionCall);
  }
  return object;
}

void PrSimulator::initiateReleaseControl(prHandle handle) {
  CameraObject& object = connected(handle);
  const auto& operations = object.camera->operations;
  if (std::find(operations.begin(), operations.end(), prOpInitiateReleaseControl) ==
      operations.end()) {
    fail(prNotSupported);
  }
  if (object.releaseControl) {
    fail(prInvalidFunctionCall);
  }
  object.releaseControl = true;
}

void PrSimulator::terminateReleaseControl(prHandle handle) {
  leaveReleaseControl(underReleaseControl(handle));
}

void PrSimulator::release(Call& call, prHandle handle) {
  Camera& camera = *underReleaseControl(handle).camera;
  const Property* destinationProperty = camera.property(prPropReleaseDestination);
  const std::uint32_t destination =
      destinationProperty ? readU32(destinationProperty->value, 0) & 0xFFFF : DefaultDestination;
  const bool toCard = (destination & DestinationToCard) != 0;
  if (toCard && (camera.volumes.empty() || camera.availableShots <= 0)) {
    fail(prAccessDenied);
  }

  auto picture = std::make_shared<Entry>();
  picture->name = camera.pictureName(".JPG");
  picture->kind = FileKind::Jpeg;
  picture->number = camera.nextFileNumber;
  PictureFile file = makeReleasedJpegPicture(picture->number, camera.nextShotMark());
  picture->content = std::move(file.content);
  picture->thumbnail = std::move(file.thumbnail);
  if (toCard) {
    camera.storePicture(picture);
    --camera.availableShots;
  } else {
    picture->onCard = false;
  }
  camera.newestPicture = picture;
  camera.nextFileNumber = camera.nextFileNumber % 9999 + 1;
  camera.countRelease(call.startedAt());

  const prObjectHandle object = nextObject_++;
  released_[object] = Released{picture, destination == DestinationThumbnailToPC ||
                                            destination == DestinationThumbnailToCard};
  for (PendingCallback& callback : cameraEvent(camera, prEventReleaseComplete, object, 0)) {
    call.raise(std::move(callback));
  }
}

void PrSimulator::releasedData(Call& call, prHandle handle, prObjectHandle object,
                               prUInt32 blockSize, prContext context, prGetFileDataCB callback) {
  const std::shared_ptr<Camera> camera = underReleaseControl(handle).camera;
  const auto found = released_.find(object);
  if (found == released_.end() || blockSize == 0 || callback == nullptr) {
    fail(prInvalidParameter);
  }
  const std::shared_ptr<Entry> picture = found->second.picture;
  const bool thumbnailOnly = found->second.thumbnailOnly;
  released_.erase(found);

  const Bytes& data = thumbnailOnly ? picture->thumbnail : picture->content;
  const std::size_t total = data.size();
  std::size_t offset = 0;
  // A camera unplugged while the host handled the last block sends no more.
  const auto stillAttached = [&camera] {
    if (!camera->attached) {
      fail(prGeneralError);
    }
  };
  do {
    const std::size_t length = std::min<std::size_t>(blockSize, total - offset);
    auto record = std::make_shared<PRProgressRecord>();
    record->Percentage =
        static_cast<std::uint32_t>(total == 0 ? 100 : (offset + length) * 100 / total);
    record->Offset = static_cast<std::uint32_t>(offset);
    record->Length = static_cast<std::int32_t>(length);
    record->Data = data.data() + offset;
    call.deliverNow(PendingCallback{"PictureData(camera#" + std::to_string(handle) + ", object#" +
                                        std::to_string(object) + ", " + std::to_string(length) +
                                        ")",
                                    [callback, handle, object, context, record, picture] {
                                      callback(handle, object, context, record.get());
                                    }});
    offset += length;
    stillAttached();
  } while (offset < total);
  // A zero-length block ends the transfer.
  auto end = std::make_shared<PRProgressRecord>();
  end->Percentage = 100;
  end->Offset = static_cast<std::uint32_t>(total);
  call.deliverNow(PendingCallback{
      "PictureData(camera#" + std::to_string(handle) + ", object#" + std::to_string(object) +
          ", 0)",
      [callback, handle, object, context, end] { callback(handle, object, context, end.get()); }});
}

void PrSimulator::availableShots(prHandle handle, prUInt32* count) {
  const Camera& camera = *underReleaseControl(handle).camera;
  if (count == nullptr) {
    fail(prInvalidParameter);
  }
  *count = static_cast<prUInt32>(std::max(camera.availableShots, 0));
}

// The DevicePropDesc dataset: code, data type, get/set, factory default and
// current value, the enumeration form and the accepted values (only the
// current one for a property that takes every value), or the range form for
// the zoom.
void PrSimulator::propertyDescription(prHandle handle, prUInt16 code, prUInt32* bufferSize,
                                      void* buffer) {
  const Camera& camera = *connected(handle).camera;
  const Property* property = camera.property(code);
  if (property == nullptr) {
    fail(prDevicePropNotSupported);
  }
  const std::size_t width = wireSize(code, property->value.size());
  const bool isSigned = property->kind == ValueKind::Signed;
  Bytes bytes;
  appendU16(bytes, code);
  appendU16(bytes, width == 1   ? (isSigned ? DataTypeInt8 : DataTypeUInt8)
                   : width == 2 ? (isSigned ? DataTypeInt16 : DataTypeUInt16)
                                : static_cast<std::uint16_t>(property->dataType));
  bytes.push_back(property->writable ? 1 : 0);
  appendWidth(bytes, property->value, width);
  appendWidth(bytes, property->value, width);
  const std::vector<Bytes> values =
      property->accepted.value_or(std::vector<Bytes>{property->value});
  if (rangeForm(code)) {
    appendRange(bytes, values, width);
  } else {
    bytes.push_back(FormEnumeration);
    appendU16(bytes, static_cast<std::uint16_t>(values.size()));
    for (const Bytes& value : values) {
      appendWidth(bytes, value, width);
    }
  }
  if (bufferSize == nullptr || buffer == nullptr) {
    fail(prInvalidParameter);
  }
  if (*bufferSize < bytes.size()) {
    *bufferSize = static_cast<prUInt32>(bytes.size());
    fail(prInsufficientBuffer);
  }
  std::copy(bytes.begin(), bytes.end(), static_cast<std::uint8_t*>(buffer));
  *bufferSize = static_cast<prUInt32>(bytes.size());
}

} // namespace vostrel::sim::pr
