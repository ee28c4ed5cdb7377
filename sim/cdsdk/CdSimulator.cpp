#include "sim/cdsdk/CdSimulator.h"

#include "powershot_cd/CDEVENT.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vostrel::sim::cd {

namespace {

const CdFamily& cdFamily() {
  static const CdFamily instance;
  return instance;
}

// The SDK's own part of a device record names its camera by the world it was
// made in and the camera's number, after this tag.
constexpr char RecordTag[] = "VostrelSim CD camera";
constexpr std::size_t RecordGenerationOffset = sizeof(RecordTag);
constexpr std::size_t RecordCameraOffset = RecordGenerationOffset + 4;
static_assert(RecordCameraOffset + 4 <= sizeof(cdSourceInfo::PortData));

// The camera keeps this many characters of owner name.
constexpr std::size_t MaximumOwnerNameLength = cdOwnerNameSize - 1;

// Access codes of the property records.
constexpr cdUInt32 ReadOnly = 1;
constexpr cdUInt32 ReadWrite = 3;

// A text into a record's field, cut to leave room for the terminator.
void putText(char* field, std::size_t size, const std::string& text) {
  const std::size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  field[length] = '\0';
}

Bytes ownerNameValue(const std::string& owner) {
  Bytes value(cdOwnerNameSize, 0);
  std::copy_n(owner.begin(), std::min(owner.size(), MaximumOwnerNameLength), value.begin());
  return value;
}

// The owner name of a written value: at most 31 characters, terminated
// within the size given.
std::string ownerNameOf(const std::uint8_t* data, cdUInt32 size) {
  if (size == 0 || size > cdOwnerNameSize) {
    fail(cdInvalidLength);
  }
  const auto* end = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
  if (end == nullptr) {
    fail(cdDeviceInvalidParameter);
  }
  return std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(end - data));
}

// Kilobytes the files of a volume take.
std::uint32_t usedKilobytes(const Volume& volume) {
  std::uint64_t bytes = 0;
  forEachFile(*volume.root,
              [&](const std::string&, const Entry& file) { bytes += file.content.size(); });
  return static_cast<std::uint32_t>((bytes + 1023) / 1024);
}

} // namespace

Call::Call(CdSimulator& simulator, const char* name)
    : SdkCall(simulator, name), simulator_(simulator) {}

CdSimulator& CdSimulator::instance() {
  static CdSimulator simulator;
  return simulator;
}

CdSimulator::CdSimulator() : Simulator(cdFamily()) {}

std::string CdSimulator::describe(cdHandle handle) const {
  if (sources_.count(handle) != 0) {
    return "source#" + std::to_string(handle);
  }
  if (enumerations_.count(handle) != 0) {
    return "enum#" + std::to_string(handle);
  }
  if (volumes_.count(handle) != 0) {
    return "volume#" + std::to_string(handle);
  }
  if (items_.count(handle) != 0) {
    return "item#" + std::to_string(handle);
  }
  if (data_.count(handle) != 0) {
    return "data#" + std::to_string(handle);
  }
  for (const auto& [sourceHandle, source] : sources_) {
    if (source.registrations.count(handle) != 0) {
      return "registration#" + std::to_string(handle);
    }
  }
  return "invalid#" + std::to_string(handle);
}

void CdSimulator::worldReplaced() {
  for (auto& [handle, source] : sources_) {
    stoppedStreams_.stop(source.viewfinder, source.camera);
  }
  enumerations_.clear();
  sources_.clear();
  volumes_.clear();
  items_.clear();
  data_.clear();
  ++generation_;
}

// Open pictures and their data count as well: the host closes and frees
// them.
std::size_t CdSimulator::liveReferences() {
  std::lock_guard lock(mutex());
  const auto openPictures = std::count_if(items_.begin(), items_.end(),
                                          [](const auto& entry) { return entry.second.open; });
  return enumerations_.size() + sources_.size() + data_.size() +
         static_cast<std::size_t>(openPictures);
}

// ---------------------------------------------------------------------------
// The SDK

void CdSimulator::startSdk(const cdVersionInfo* version) {
  const std::string problem = startupError();
  if (!problem.empty()) {
    setLastError(problem);
    fail(cdInternalError);
  }
  if (version == nullptr) {
    fail(cdInvalidPointer);
  }
  if (version->Size != sizeof(cdVersionInfo) || version->Major != cdVersionMajor) {
    fail(cdIncompatibleVersion);
  }
  started_ = true;
}

void CdSimulator::finishSdk() {
  started_ = false;
  for (auto& [handle, source] : sources_) {
    stoppedStreams_.stop(source.viewfinder, source.camera);
  }
  enumerations_.clear();
  sources_.clear();
  volumes_.clear();
  items_.clear();
  data_.clear();
  for (const auto& camera : world().cameras) {
    camera->sessionOpen = false;
  }
}

// ---------------------------------------------------------------------------
// Enumerations

CdSimulator::Enumeration& CdSimulator::requireEnumeration(cdHandle handle, Listing listing) {
  const auto found = enumerations_.find(handle);
  if (found == enumerations_.end() || found->second.listing != listing) {
    fail(cdInvalidHandle);
  }
  return found->second;
}

cdHandle CdSimulator::enumerateDevices(cdUInt32 kind) {
  if (kind != cdEnumAllDevices) {
    fail(cdInvalidParameter);
  }
  Enumeration enumeration;
  enumeration.listing = Listing::Devices;
  for (std::size_t i = 0; i < world().cameras.size(); ++i) {
    if (world().cameras[i]->attached) {
      enumeration.items.push_back(static_cast<std::uint32_t>(i));
    }
  }
  const cdHandle handle = newHandle();
  enumerations_[handle] = std::move(enumeration);
  return handle;
}

std::vector<std::uint32_t> CdSimulator::propertyCodes(const Camera& camera) const {
  std::vector<std::uint32_t> codes = {cdDevicePropBattery, cdDevicePropOwnerName, cdDevicePropTime};
  for (const auto& [id, property] : camera.properties) {
    if (isDeviceProperty(id) && std::find(codes.begin(), codes.end(), id) == codes.end()) {
      codes.push_back(id);
    }
  }
  return codes;
}

cdHandle CdSimulator::enumerateProperties(cdHandle source) {
  Enumeration enumeration;
  enumeration.listing = Listing::Properties;
  enumeration.camera = attachedSource(source).camera;
  enumeration.items = propertyCodes(*enumeration.camera);
  const cdHandle handle = newHandle();
  enumerations_[handle] = std::move(enumeration);
  return handle;
}

cdHandle CdSimulator::enumerateVolumes(cdHandle source) {
  Enumeration enumeration;
  enumeration.listing = Listing::Volumes;
  enumeration.camera = attachedSource(source).camera;
  for (std::size_t i = 0; i < enumeration.camera->volumes.size(); ++i) {
    enumeration.items.push_back(static_cast<std::uint32_t>(i));
  }
  const cdHandle handle = newHandle();
  enumerations_[handle] = std::move(enumeration);
  return handle;
}

cdUInt32 CdSimulator::count(cdHandle handle) {
  const auto found = enumerations_.find(handle);
  if (found == enumerations_.end()) {
    fail(cdInvalidHandle);
  }
  return static_cast<cdUInt32>(found->second.items.size());
}

void CdSimulator::nextDevice(Call& call, cdHandle handle, cdSourceInfo* record) {
  Enumeration& enumeration = requireEnumeration(handle, Listing::Devices);
  if (record == nullptr) {
    fail(cdInvalidPointer);
  }
  if (enumeration.position >= enumeration.items.size()) {
    fail(cdEnumNotApplicable);
  }
  const std::uint32_t number = enumeration.items[enumeration.position++];
  const Camera& camera = *world().cameras.at(number);
  *record = cdSourceInfo{};
  record->Type = 1;
  putText(record->ModelName, sizeof record->ModelName, camera.model);
  putText(record->Name, sizeof record->Name, camera.model);
  std::memcpy(record->PortData, RecordTag, sizeof RecordTag);
  putU32(record->PortData + RecordGenerationOffset, generation_);
  putU32(record->PortData + RecordCameraOffset, number);
  call.out("\"" + std::string(record->Name) + "\"");
}

void CdSimulator::nextProperty(Call& call, cdHandle handle, cdDevicePropertyInfo* record) {
  Enumeration& enumeration = requireEnumeration(handle, Listing::Properties);
  if (record == nullptr) {
    fail(cdInvalidPointer);
  }
  if (enumeration.position >= enumeration.items.size()) {
    fail(cdEnumNotApplicable);
  }
  const cdUInt32 code = enumeration.items[enumeration.position++];
  const Camera& camera = *enumeration.camera;
  const Property* property = camera.property(code);
  *record = cdDevicePropertyInfo{};
  record->Code = code;
  record->Access = code == cdDevicePropBattery || (property != nullptr && !property->writable)
                       ? ReadOnly
                       : ReadWrite;
  record->Size = static_cast<cdUInt32>(property != nullptr ? property->size()
                                                           : propertyValue(camera, code).size());
  call.out(hexArgument(record->Code) + " size " + std::to_string(record->Size));
}

cdHandle CdSimulator::nextVolume(cdHandle handle) {
  Enumeration& enumeration = requireEnumeration(handle, Listing::Volumes);
  if (enumeration.position >= enumeration.items.size()) {
    fail(cdEnumNotApplicable);
  }
  const cdHandle volume = newHandle();
  volumes_[volume] = VolumeObject{enumeration.camera, enumeration.items[enumeration.position++]};
  return volume;
}

// The pictures of a picture enumeration go with it.
void CdSimulator::release(cdHandle handle) {
  if (enumerations_.erase(handle) == 0) {
    fail(cdInvalidHandle);
  }
  std::erase_if(items_, [&](const auto& entry) { return entry.second.enumeration == handle; });
}

// ---------------------------------------------------------------------------
// Sources and events

CdSimulator::Source& CdSimulator::requireSource(cdHandle handle) {
  const auto found = sources_.find(handle);
  if (found == sources_.end()) {
    fail(cdInvalidHandle);
  }
  return found->second;
}

CdSimulator::Source& CdSimulator::attachedSource(cdHandle handle) {
  Source& source = requireSource(handle);
  if (!source.camera->attached) {
    fail(cdCommunicationDisconnected);
  }
  return source;
}

cdHandle CdSimulator::openSource(const cdSourceInfo* record) {
  if (record == nullptr) {
    fail(cdInvalidPointer);
  }
  if (std::memcmp(record->PortData, RecordTag, sizeof RecordTag) != 0 ||
      getU32(record->PortData + RecordGenerationOffset) != generation_) {
    fail(cdDeviceNotFound);
  }
  const auto camera =
      world().camera(static_cast<std::int32_t>(getU32(record->PortData + RecordCameraOffset)));
  if (!camera || !camera->attached) {
    fail(cdDeviceNotFound);
  }
  const cdHandle handle = newHandle();
  sources_[handle].camera = camera;
  camera->sessionOpen = true;
  return handle;
}

void CdSimulator::closeSource(cdHandle handle) {
  Source& source = requireSource(handle);
  const std::shared_ptr<Camera> camera = source.camera;
  leaveReleaseControl(source);
  sources_.erase(handle);
  camera->sessionOpen = std::any_of(sources_.begin(), sources_.end(), [&](const auto& other) {
    return other.second.camera == camera;
  });
}

cdHandle CdSimulator::registerHandler(cdHandle handle, cdEventCallbackFunction callback,
                                      cdContext context) {
  Source& source = attachedSource(handle);
  if (callback == nullptr) {
    fail(cdInvalidParameter);
  }
  const cdHandle registration = newHandle();
  source.registrations[registration] = Registration{callback, context};
  return registration;
}

void CdSimulator::unregisterHandler(cdHandle handle, cdHandle registration) {
  if (requireSource(handle).registrations.erase(registration) == 0) {
    fail(cdInvalidHandle);
  }
}

std::vector<PendingCallback> CdSimulator::cameraEvent(const Camera& camera, cdUInt32 eventWord,
                                                      cdUInt32 data) const {
  std::vector<PendingCallback> callbacks;
  for (const auto& [handle, source] : sources_) {
    if (source.camera.get() != &camera) {
      continue;
    }
    for (const auto& [registration, handler] : source.registrations) {
      auto value = std::make_shared<cdUInt32>(data);
      callbacks.push_back(
          PendingCallback{"CameraEvent(source#" + std::to_string(handle) + ", " +
                              hexArgument(eventWord) + ", " + std::to_string(data) + ")",
                          [callback = handler.callback, context = handler.context, eventWord,
                           value] { callback(eventWord, value.get(), 0, context); }});
    }
  }
  return callbacks;
}

void CdSimulator::post(std::vector<PendingCallback> callbacks) {
  for (PendingCallback& callback : callbacks) {
    events().post(loggedCallback(callLog(), std::move(callback)));
  }
}

void CdSimulator::raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                             std::uint32_t /*argument*/, std::uint32_t parameter) {
  std::vector<PendingCallback> callbacks;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    if (kind != 3) {
      throw std::invalid_argument("the CD cameras raise camera events only (kind 3)");
    }
    callbacks = cameraEvent(*target, code, parameter);
  }
  post(std::move(callbacks));
}

void CdSimulator::detachCamera(std::int32_t camera) {
  std::vector<PendingCallback> callbacks;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    callbacks =
        cameraEvent(*target, cdEventWord(cdEventSeverityShutdown, cdEventConnectionDisappeared), 0);
    target->attached = false;
    for (auto& [handle, source] : sources_) {
      if (source.camera == target) {
        stoppedStreams_.stop(source.viewfinder, source.camera);
      }
    }
  }
  post(std::move(callbacks));
}

// ---------------------------------------------------------------------------
// Device properties, the card and the release control

Bytes CdSimulator::propertyValue(const Camera& camera, cdUInt32 code) const {
  switch (code) {
  case cdDevicePropBattery:
    return u32Bytes(camera.battery);
  case cdDevicePropOwnerName:
    return ownerNameValue(camera.owner);
  case cdDevicePropTime:
    return u32Bytes(secondsSince1970(camera.clock).value_or(0));
  default:
    break;
  }
  const Property* property = isDeviceProperty(code) ? camera.property(code) : nullptr;
  if (property == nullptr) {
    fail(cdNotSupported);
  }
  return property->value;
}

void CdSimulator::getProperty(Call& call, cdHandle source, cdUInt32 code, cdUInt32* size,
                              void* data) {
  const Bytes value = propertyValue(*attachedSource(source).camera, code);
  if (size == nullptr || data == nullptr) {
    fail(cdInvalidPointer);
  }
  if (*size < value.size()) {
    fail(cdInvalidLength);
  }
  std::copy(value.begin(), value.end(), static_cast<std::uint8_t*>(data));
  *size = static_cast<cdUInt32>(value.size());
  call.out(dataArgument(value.data(), value.size()));
}

void CdSimulator::setProperty(cdHandle source, cdUInt32 code, const cdUInt32* size,
                              const void* data) {
  Camera& camera = *attachedSource(source).camera;
  if (size == nullptr || data == nullptr) {
    fail(cdInvalidPointer);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  switch (code) {
  case cdDevicePropOwnerName:
    camera.owner = ownerNameOf(bytes, *size);
    return;
  case cdDevicePropTime: {
    if (*size != sizeof(cdUInt32)) {
      fail(cdInvalidLength);
    }
    // The camera's clock starts in 1970: a count with the sign bit set is a
    // time before it.
    const cdUInt32 seconds = getU32(bytes);
    const CameraClock clock = clockFromSecondsSince1970(seconds);
    if (seconds > 0x7FFFFFFFu || !clock.valid()) {
      fail(cdDeviceInvalidParameter);
    }
    camera.clock = clock;
    return;
  }
  case cdDevicePropBattery:
    fail(cdDeviceInvalidParameter);
  default:
    break;
  }
  Property* property = isDeviceProperty(code) ? camera.property(code) : nullptr;
  if (property == nullptr) {
    fail(cdNotSupported);
  }
  switch (property->write(Bytes(bytes, bytes + *size))) {
  case WriteOutcome::Applied:
  case WriteOutcome::Unchanged:
    return;
  case WriteOutcome::Refused:
    fail(property->refusal != 0 ? property->refusal : cdDeviceInvalidParameter);
  case WriteOutcome::WrongSize:
    fail(cdInvalidLength);
  case WriteOutcome::ReadOnly:
    fail(cdDeviceInvalidParameter);
  }
}

CdSimulator::VolumeObject& CdSimulator::requireVolume(cdHandle handle) {
  const auto found = volumes_.find(handle);
  if (found == volumes_.end()) {
    fail(cdInvalidHandle);
  }
  if (!found->second.camera->attached) {
    fail(cdCommunicationDisconnected);
  }
  return found->second;
}

// A card without capacity reports no space at all: no usable card.
void CdSimulator::volumeInfo(cdHandle handle, cdVolumeInfo* info) {
  const VolumeObject& object = requireVolume(handle);
  if (info == nullptr) {
    fail(cdInvalidPointer);
  }
  const Volume& volume = object.camera->volumes.at(object.index);
  *info = cdVolumeInfo{};
  info->Type = 1;
  info->TotalSpace = volume.capacityKilobytes;
  info->FreeSpace =
      volume.capacityKilobytes - std::min(volume.capacityKilobytes, usedKilobytes(volume));
  putText(info->Name, sizeof info->Name, volume.label);
}

void CdSimulator::format(cdHandle handle) {
  const VolumeObject& object = requireVolume(handle);
  Camera& camera = *object.camera;
  Volume& volume = camera.volumes.at(object.index);
  if (volume.capacityKilobytes == 0) {
    fail(cdDeviceNoDisk);
  }
  formatVolume(volume);
  camera.availableShots = camera.shotsOnEmptyCard;
  if (camera.newestPicture && camera.newestPicture->removed) {
    camera.newestPicture.reset();
  }
}

cdUInt32 CdSimulator::releaseControlFaculty(cdHandle source) {
  const Camera& camera = *attachedSource(source).camera;
  const Property* faculty = camera.property(ReleaseControlFacultyId);
  if (faculty == nullptr || faculty->value.size() < 4) {
    return 0;
  }
  return getU32(faculty->value.data());
}

} // namespace vostrel::sim::cd
