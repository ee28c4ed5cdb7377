#include "sim/prsdk/PrSimulator.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vostrel::sim::pr {

namespace {

const PrFamily& prFamily() {
  static const PrFamily instance;
  return instance;
}

// A device-list entry names its camera by the world it was made in and the
// camera's number, after this tag.
constexpr char EntryTag[] = "VostrelSim PR camera";
constexpr std::size_t EntryGenerationOffset = sizeof(EntryTag);
constexpr std::size_t EntryCameraOffset = EntryGenerationOffset + 4;

// The camera keeps this many characters of owner name.
constexpr std::size_t MaximumOwnerNameLength = 31;

// Where a PR event record keeps its fields.
constexpr std::size_t EventLengthOffset = 0;
constexpr std::size_t EventTypeOffset = 4;
constexpr std::size_t EventCodeOffset = 6;
constexpr std::size_t EventObjectOffset = 12;
constexpr std::size_t EventParameterOffset = 16;
constexpr std::size_t EventContainerLength = 24;
constexpr std::uint16_t EventContainerType = 4;

// UTF-16 of a UTF-8 text; bytes that are not UTF-8 are taken as Latin-1.
std::u16string utf16(const std::string& text) {
  std::u16string wide;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = byte < 0x80    ? 1
                         : byte >= 0xF0 ? 4
                         : byte >= 0xE0 ? 3
                         : byte >= 0xC0 ? 2
                                        : 0;
    char32_t c = length == 1 ? byte : byte & (0x7F >> length);
    bool valid = length != 0 && i + length <= text.size();
    for (std::size_t k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = (next & 0xC0) == 0x80;
      c = (c << 6) | (next & 0x3F);
    }
    if (!valid) {
      c = byte;
      length = 1;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(c));
    }
    i += length;
  }
  return wide;
}

// A string of the picture transfer protocol: the count of 16-bit characters
// with the terminating zero, then the characters; nothing but a 0 count for
// an empty text.
void appendPtpString(Bytes& bytes, const std::string& text) {
  std::u16string wide = utf16(text).substr(0, 254);
  if (wide.empty()) {
    bytes.push_back(0);
    return;
  }
  bytes.push_back(static_cast<std::uint8_t>(wide.size() + 1));
  for (char16_t c : wide) {
    appendU16(bytes, static_cast<std::uint16_t>(c));
  }
  appendU16(bytes, 0);
}

void appendU16Array(Bytes& bytes, const std::vector<std::uint16_t>& values) {
  appendU32(bytes, static_cast<std::uint32_t>(values.size()));
  for (std::uint16_t value : values) {
    appendU16(bytes, value);
  }
}

// Properties that the camera keeps as attributes of the world.
constexpr prUInt16 IdentityProperties[] = {prPropBatteryKind, prPropBatteryStatus, prPropOwnerName,
                                           prPropCameraTime, prPropBodyID};

// The DeviceInfo dataset of the picture transfer protocol.
Bytes deviceInfoDataset(const Camera& camera) {
  Bytes bytes;
  appendU16(bytes, 100);        // standard version
  appendU32(bytes, 0x5653494D); // vendor extension ID of the simulator
  appendU16(bytes, 100);        // vendor extension version
  appendPtpString(bytes, "VostrelSim: 1.0");
  appendU16(bytes, 0); // functional mode
  appendU16Array(bytes, camera.operations);
  appendU16Array(bytes, supportedEvents());
  std::vector<std::uint16_t> properties(std::begin(IdentityProperties),
                                        std::end(IdentityProperties));
  for (const auto& [id, property] : camera.properties) {
    if (id <= 0xFFFF && std::find(properties.begin(), properties.end(), id) == properties.end()) {
      properties.push_back(static_cast<std::uint16_t>(id));
    }
  }
  appendU16Array(bytes, properties);
  appendU16Array(bytes, {0x3801}); // capture formats: JPEG
  appendU16Array(bytes, {0x3801}); // image formats
  appendPtpString(bytes, "Vostrel Simulation");
  appendPtpString(bytes, camera.model);
  appendPtpString(bytes, "1.0");
  appendPtpString(bytes, std::to_string(camera.bodyId));
  return bytes;
}

// Copies a value into the host's buffer, or tells the size it needs.
void deliver(const Bytes& value, prUInt32* bufferSize, void* buffer) {
  if (bufferSize == nullptr || buffer == nullptr) {
    fail(prInvalidParameter);
  }
  if (*bufferSize < value.size()) {
    *bufferSize = static_cast<prUInt32>(value.size());
    fail(prInsufficientBuffer);
  }
  std::copy(value.begin(), value.end(), static_cast<std::uint8_t*>(buffer));
  *bufferSize = static_cast<prUInt32>(value.size());
}

Bytes ownerNameBlock(const std::string& owner) {
  Bytes block(prOwnerNameBlockSize, 0);
  const std::size_t length = std::min(owner.size(), prOwnerNameTextSize - 1);
  putU32(block.data(), static_cast<std::uint32_t>(length + 1));
  std::copy_n(owner.begin(), length, block.begin() + 4);
  return block;
}

// The owner name of a written block: at most 31 characters, terminated
// within the block.
std::string ownerNameOf(const std::uint8_t* block, prUInt32 size) {
  if (size < 5 || size > prOwnerNameBlockSize) {
    fail(prInvalidDevicePropFormat);
  }
  const std::uint8_t* text = block + 4;
  const std::size_t room = size - 4;
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(text, 0, room));
  if (end == nullptr) {
    fail(prInvalidDevicePropFormat);
  }
  const auto length = static_cast<std::size_t>(end - text);
  if (length > MaximumOwnerNameLength) {
    fail(prInvalidDevicePropValue);
  }
  return std::string(reinterpret_cast<const char*>(text), length);
}

} // namespace

Call::Call(PrSimulator& simulator, const char* name)
    : SdkCall(simulator, name), simulator_(simulator) {}

PrSimulator& PrSimulator::instance() {
  static PrSimulator simulator;
  return simulator;
}

PrSimulator::PrSimulator() : Simulator(prFamily()) {}

std::string PrSimulator::describe(prHandle handle) const {
  return (objects_.count(handle) != 0 ? "camera#" : "invalid#") + std::to_string(handle);
}

void PrSimulator::worldReplaced() {
  for (auto& [handle, object] : objects_) {
    stopViewfinder(object);
  }
  objects_.clear();
  released_.clear();
  ++generation_;
}

std::size_t PrSimulator::liveReferences() {
  std::lock_guard lock(mutex());
  return objects_.size();
}

// ---------------------------------------------------------------------------
// The SDK and its device list

void PrSimulator::startSdk() {
  const std::string problem = startupError();
  if (!problem.empty()) {
    setLastError(problem);
    fail(prInternalError);
  }
  started_ = true;
}

void PrSimulator::finishSdk() {
  started_ = false;
  for (auto& [handle, object] : objects_) {
    stopViewfinder(object);
  }
  objects_.clear();
  for (const auto& camera : world().cameras) {
    camera->sessionOpen = false;
  }
}

void PrSimulator::deviceList(Call& call, prUInt32* bufferSize, prDeviceList* list) {
  std::vector<std::uint32_t> attachedCameras;
  for (std::size_t i = 0; i < world().cameras.size(); ++i) {
    if (world().cameras[i]->attached && attachedCameras.size() < prMaxDevices) {
      attachedCameras.push_back(static_cast<std::uint32_t>(i));
    }
  }
  if (bufferSize == nullptr || list == nullptr) {
    fail(prInvalidParameter);
  }
  const std::size_t needed =
      offsetof(prDeviceList, DeviceInfo) + attachedCameras.size() * sizeof(prDeviceInfo);
  if (*bufferSize < needed) {
    *bufferSize = static_cast<prUInt32>(needed);
    fail(prInsufficientBuffer);
  }
  auto* bytes = reinterpret_cast<std::uint8_t*>(list);
  std::fill_n(bytes, needed, std::uint8_t{0});
  putU32(bytes, static_cast<std::uint32_t>(attachedCameras.size()));
  for (std::size_t n = 0; n < attachedCameras.size(); ++n) {
    const Camera& camera = *world().cameras[attachedCameras[n]];
    std::uint8_t* entry = bytes + offsetof(prDeviceList, DeviceInfo) + n * sizeof(prDeviceInfo);
    std::memcpy(entry, EntryTag, sizeof(EntryTag));
    putU32(entry + EntryGenerationOffset, generation_);
    putU32(entry + EntryCameraOffset, attachedCameras[n]);
    const std::u16string name = utf16(camera.model).substr(0, 31);
    for (std::size_t k = 0; k < name.size(); ++k) {
      putU16(entry + offsetof(prDeviceInfo, ModelName) + 2 * k,
             static_cast<std::uint16_t>(name[k]));
    }
    call.out("\"" + camera.model + "\"");
  }
  *bufferSize = static_cast<prUInt32>(needed);
}

// ---------------------------------------------------------------------------
// Camera objects, connections and events

PrSimulator::CameraObject& PrSimulator::require(prHandle handle) {
  const auto found = objects_.find(handle);
  if (found == objects_.end()) {
    fail(prInvalidHandle);
  }
  return found->second;
}

PrSimulator::CameraObject& PrSimulator::attached(prHandle handle) {
  CameraObject& object = require(handle);
  if (!object.camera->attached) {
    fail(prGeneralError);
  }
  return object;
}

PrSimulator::CameraObject& PrSimulator::connected(prHandle handle) {
  CameraObject& object = attached(handle);
  if (!object.connected) {
    fail(prSessionNotOpen);
  }
  return object;
}

prHandle PrSimulator::createCameraObject(const prDeviceInfo* device) {
  if (device == nullptr) {
    fail(prInvalidParameter);
  }
  const auto* entry = reinterpret_cast<const std::uint8_t*>(device);
  if (std::memcmp(entry, EntryTag, sizeof(EntryTag)) != 0 ||
      getU32(entry + EntryGenerationOffset) != generation_) {
    fail(prInvalidParameter);
  }
  const auto camera = world().camera(static_cast<std::int32_t>(getU32(entry + EntryCameraOffset)));
  if (!camera) {
    fail(prInvalidParameter);
  }
  if (!camera->attached) {
    fail(prGeneralError);
  }
  const prHandle handle = nextHandle_++;
  objects_[handle].camera = camera;
  return handle;
}

void PrSimulator::destroyCameraObject(prHandle handle) {
  CameraObject& object = require(handle);
  if (object.connected) {
    disconnect(handle);
  }
  stopViewfinder(object);
  objects_.erase(handle);
}

void PrSimulator::connect(prHandle handle) {
  CameraObject& object = attached(handle);
  if (object.connected) {
    fail(prSessionAlreadyOpen);
  }
  object.connected = true;
  object.camera->sessionOpen = true;
}

void PrSimulator::disconnect(prHandle handle) {
  CameraObject& object = require(handle);
  if (!object.connected) {
    fail(prSessionNotOpen);
  }
  object.connected = false;
  leaveReleaseControl(object);
  object.camera->sessionOpen =
      std::any_of(objects_.begin(), objects_.end(), [&](const auto& other) {
        return other.second.camera == object.camera && other.second.connected;
      });
}

void PrSimulator::setEventCallback(prHandle handle, prContext context, prSetEventCB callback) {
  CameraObject& object = require(handle);
  if (callback == nullptr) {
    fail(prInvalidParameter);
  }
  if (object.callback != nullptr) {
    fail(prEventCallbackExists);
  }
  object.callback = callback;
  object.context = context;
}

void PrSimulator::clearEventCallback(prHandle handle) {
  CameraObject& object = require(handle);
  object.callback = nullptr;
  object.context = 0;
}

std::vector<PendingCallback> PrSimulator::cameraEvent(const Camera& camera, prUInt16 code,
                                                      prUInt32 objectHandle,
                                                      prUInt32 parameter) const {
  std::vector<PendingCallback> callbacks;
  for (const auto& [handle, object] : objects_) {
    if (object.camera.get() != &camera || !object.connected || object.callback == nullptr) {
      continue;
    }
    auto record = std::make_shared<PREventRecord>();
    record->fill(0);
    putU32(record->data() + EventLengthOffset, EventContainerLength);
    putU16(record->data() + EventTypeOffset, EventContainerType);
    putU16(record->data() + EventCodeOffset, code);
    putU32(record->data() + EventObjectOffset, objectHandle);
    putU32(record->data() + EventParameterOffset, parameter);
    callbacks.push_back(
        PendingCallback{"CameraEvent(camera#" + std::to_string(handle) + ", " + hexArgument(code) +
                            ", " + std::to_string(parameter) + ")",
                        [callback = object.callback, handle = handle, context = object.context,
                         record] { callback(handle, context, record->data()); }});
  }
  return callbacks;
}

void PrSimulator::post(std::vector<PendingCallback> callbacks) {
  for (PendingCallback& callback : callbacks) {
    events().post(loggedCallback(callLog(), std::move(callback)));
  }
}

void PrSimulator::raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                             std::uint32_t argument, std::uint32_t parameter) {
  std::vector<PendingCallback> callbacks;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    if (kind != 3) {
      throw std::invalid_argument("the PR cameras raise camera events only (kind 3)");
    }
    if (code > 0xFFFF) {
      throw std::invalid_argument("a PR event code has 16 bits");
    }
    callbacks = cameraEvent(*target, static_cast<prUInt16>(code), argument, parameter);
  }
  post(std::move(callbacks));
}

void PrSimulator::detachCamera(std::int32_t camera) {
  std::vector<PendingCallback> callbacks;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    callbacks = cameraEvent(*target, prEventConnectionLost, 0, 0);
    target->attached = false;
    for (auto& [handle, object] : objects_) {
      if (object.camera == target) {
        stopViewfinder(object);
      }
    }
  }
  post(std::move(callbacks));
}

// ---------------------------------------------------------------------------
// Device information and properties

void PrSimulator::deviceInfo(prHandle handle, prUInt32* bufferSize, void* buffer) {
  deliver(deviceInfoDataset(*connected(handle).camera), bufferSize, buffer);
}

Bytes PrSimulator::propertyValue(const Camera& camera, prUInt16 code) const {
  switch (code) {
  case prPropBatteryStatus:
    return u32Bytes(camera.battery);
  case prPropOwnerName:
    return ownerNameBlock(camera.owner);
  case prPropCameraTime:
    return u32Bytes(secondsSince1970(camera.clock).value_or(0));
  case prPropBodyID:
    return u32Bytes(camera.bodyId);
  default:
    break;
  }
  const Property* property = camera.property(code);
  if (property == nullptr) {
    fail(prDevicePropNotSupported);
  }
  Bytes value = property->value;
  value.resize(wireSize(code, value.size()));
  return value;
}

void PrSimulator::getProperty(Call& call, prHandle handle, prUInt16 code, prUInt32* bufferSize,
                              void* buffer) {
  const Bytes value = propertyValue(*connected(handle).camera, code);
  deliver(value, bufferSize, buffer);
  call.out(dataArgument(value.data(), value.size()));
}

void PrSimulator::setProperty(prHandle handle, prUInt16 code, prUInt32 size, const void* value) {
  Camera& camera = *connected(handle).camera;
  if (value == nullptr) {
    fail(prInvalidParameter);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(value);
  switch (code) {
  case prPropOwnerName:
    camera.owner = ownerNameOf(bytes, size);
    return;
  case prPropCameraTime: {
    if (size != 4) {
      fail(prInvalidDevicePropFormat);
    }
    const CameraClock clock = clockFromSecondsSince1970(getU32(bytes));
    if (!clock.valid()) {
      fail(prInvalidDevicePropValue);
    }
    camera.clock = clock;
    return;
  }
  case prPropBatteryStatus:
  case prPropBodyID:
    fail(prAccessDenied);
  default:
    break;
  }
  Property* property = camera.property(code);
  if (property == nullptr) {
    fail(prDevicePropNotSupported);
  }
  if (size != wireSize(code, property->value.size())) {
    fail(prInvalidDevicePropFormat);
  }
  // A narrower value is kept widened to the stored size, with its sign for
  // a signed property.
  Bytes written(bytes, bytes + size);
  const bool negative =
      property->kind == ValueKind::Signed && size > 0 && (bytes[size - 1] & 0x80) != 0;
  written.resize(property->value.size(), negative ? 0xFF : 0x00);
  switch (property->write(written)) {
  case WriteOutcome::Applied:
  case WriteOutcome::Unchanged:
    return;
  case WriteOutcome::Refused:
    fail(property->refusal != 0 ? property->refusal : prInvalidDevicePropValue);
  case WriteOutcome::WrongSize:
    fail(prInvalidDevicePropFormat);
  case WriteOutcome::ReadOnly:
    fail(prAccessDenied);
  }
}

} // namespace vostrel::sim::pr
