#include "sim/edsdk/EdsSimulator.h"

#include "sim/edsdk/EdsFailure.h"

#include <stdexcept>

namespace vostrel::sim::eds {

namespace {

const EdsFamily& edsFamily() {
  static const EdsFamily instance;
  return instance;
}

} // namespace

EdsSimulator& EdsSimulator::instance() {
  static EdsSimulator simulator;
  return simulator;
}

EdsSimulator::EdsSimulator() : Simulator(edsFamily()) {}

std::string EdsSimulator::describe(EdsBaseRef reference) const {
  if (reference == nullptr) {
    return "null";
  }
  const std::uintptr_t id = HandleTable<EdsObject>::idOf(reference);
  const auto object = handles_.find(reference);
  if (object) {
    return std::string(object->kind()) + "#" + std::to_string(id);
  }
  return id != 0 ? "invalid#" + std::to_string(id)
                 : "invalid(" +
                       hexArgument(static_cast<std::uint32_t>(
                           reinterpret_cast<std::uintptr_t>(reference))) +
                       ")";
}

template <typename T>
std::shared_ptr<T> EdsSimulator::require(EdsBaseRef reference) const {
  const auto object = handles_.find(reference);
  if (!object) {
    fail(EdsErrInvalidHandle);
  }
  auto typed = std::dynamic_pointer_cast<T>(object);
  if (!typed) {
    fail(EdsErrInvalidParameter);
  }
  return typed;
}

template std::shared_ptr<CameraObject> EdsSimulator::require(EdsBaseRef) const;
template std::shared_ptr<VolumeObject> EdsSimulator::require(EdsBaseRef) const;
template std::shared_ptr<ItemObject> EdsSimulator::require(EdsBaseRef) const;
template std::shared_ptr<StreamObject> EdsSimulator::require(EdsBaseRef) const;
template std::shared_ptr<ImageObject> EdsSimulator::require(EdsBaseRef) const;

std::shared_ptr<Camera> EdsSimulator::connectedCamera(EdsCameraRef camera) const {
  auto found = require<CameraObject>(camera)->camera;
  if (!found->attached) {
    fail(EdsErrCommDisconnected);
  }
  return found;
}

std::shared_ptr<Camera> EdsSimulator::sessionCamera(EdsCameraRef camera) const {
  auto found = connectedCamera(camera);
  if (!found->sessionOpen) {
    fail(EdsErrSessionNotOpen);
  }
  return found;
}

std::shared_ptr<ItemObject> EdsSimulator::liveItem(EdsDirectoryItemRef item) const {
  auto object = require<ItemObject>(item);
  if (!object->camera->attached) {
    fail(EdsErrCommDisconnected);
  }
  if (!object->camera->sessionOpen) {
    fail(EdsErrSessionNotOpen);
  }
  if (object->entry->removed) {
    fail(EdsErrFileNotFound);
  }
  return object;
}

EdsBaseRef EdsSimulator::addItem(const std::shared_ptr<Camera>& camera, std::size_t volume,
                                 const std::shared_ptr<Entry>& entry) {
  auto object = std::make_shared<ItemObject>();
  object->camera = camera;
  object->volume = volume;
  object->entry = entry;
  return handles_.add(object);
}

void EdsSimulator::worldReplaced() {
  handles_.clear();
  handlers_.clear();
}

std::size_t EdsSimulator::liveReferences() {
  std::lock_guard lock(mutex());
  return handles_.size();
}

// ---------------------------------------------------------------------------
// SDK lifetime and references

void EdsSimulator::initializeSdk() {
  const std::string problem = startupError();
  if (!problem.empty()) {
    setLastError(problem);
    fail(EdsErrInternalError);
  }
  initialized_ = true;
}

void EdsSimulator::terminateSdk() {
  initialized_ = false;
  handles_.clear();
  handlers_.clear();
  for (const auto& camera : world().cameras) {
    camera->sessionOpen = false;
  }
}

void EdsSimulator::retain(EdsBaseRef reference) {
  if (!handles_.retain(reference)) {
    fail(EdsErrInvalidHandle);
  }
}

void EdsSimulator::release(EdsBaseRef reference) {
  if (!handles_.release(reference)) {
    fail(EdsErrInvalidHandle);
  }
}

EdsUInt32 EdsSimulator::childCount(EdsBaseRef parent) {
  const auto object = handles_.find(parent);
  if (!object) {
    fail(EdsErrInvalidHandle);
  }
  if (const auto list = std::dynamic_pointer_cast<CameraListObject>(object)) {
    return static_cast<EdsUInt32>(list->cameras.size());
  }
  if (std::dynamic_pointer_cast<CameraObject>(object)) {
    return static_cast<EdsUInt32>(sessionCamera(parent)->volumes.size());
  }
  if (const auto volume = std::dynamic_pointer_cast<VolumeObject>(object)) {
    if (!volume->camera->sessionOpen) {
      fail(EdsErrSessionNotOpen);
    }
    return static_cast<EdsUInt32>(volume->camera->volumes.at(volume->index).root->children.size());
  }
  if (std::dynamic_pointer_cast<ItemObject>(object)) {
    return static_cast<EdsUInt32>(liveItem(parent)->entry->children.size());
  }
  fail(EdsErrInvalidParameter);
}

EdsBaseRef EdsSimulator::childAtIndex(EdsBaseRef parent, EdsInt32 index) {
  const EdsUInt32 count = childCount(parent);
  if (index < 0 || static_cast<EdsUInt32>(index) >= count) {
    fail(EdsErrInvalidIndex);
  }
  const auto position = static_cast<std::size_t>(index);
  const auto object = handles_.find(parent);
  if (const auto list = std::dynamic_pointer_cast<CameraListObject>(object)) {
    auto camera = std::make_shared<CameraObject>();
    camera->camera = list->cameras[position];
    return handles_.add(camera);
  }
  if (const auto camera = std::dynamic_pointer_cast<CameraObject>(object)) {
    auto volume = std::make_shared<VolumeObject>();
    volume->camera = camera->camera;
    volume->index = position;
    return handles_.add(volume);
  }
  if (const auto volume = std::dynamic_pointer_cast<VolumeObject>(object)) {
    const auto& root = volume->camera->volumes.at(volume->index).root;
    return addItem(volume->camera, volume->index, root->children[position]);
  }
  const auto item = std::dynamic_pointer_cast<ItemObject>(object);
  return addItem(item->camera, item->volume, item->entry->children[position]);
}

EdsBaseRef EdsSimulator::parentOf(EdsBaseRef reference) {
  const auto object = handles_.find(reference);
  if (!object) {
    fail(EdsErrInvalidHandle);
  }
  if (const auto volume = std::dynamic_pointer_cast<VolumeObject>(object)) {
    auto camera = std::make_shared<CameraObject>();
    camera->camera = volume->camera;
    return handles_.add(camera);
  }
  if (std::dynamic_pointer_cast<ItemObject>(object)) {
    const auto item = liveItem(reference);
    const auto parent = item->entry->parent.lock();
    if (!parent) {
      fail(EdsErrNotSupported); // a picture waiting for transfer is on no card
    }
    if (parent == item->camera->volumes.at(item->volume).root) {
      auto volume = std::make_shared<VolumeObject>();
      volume->camera = item->camera;
      volume->index = item->volume;
      return handles_.add(volume);
    }
    return addItem(item->camera, item->volume, parent);
  }
  fail(EdsErrNotSupported);
}

void EdsSimulator::setProgressCallback(EdsBaseRef reference, EdsProgressCallback callback,
                                       EdsUInt32 option, void* context) {
  const auto object = handles_.find(reference);
  if (!object) {
    fail(EdsErrInvalidHandle);
  }
  if (option > EdsProgressPeriodically) {
    fail(EdsErrInvalidParameter);
  }
  object->progress = callback;
  object->progressOption = option;
  object->progressContext = context;
}

// ---------------------------------------------------------------------------
// Control interface

void EdsSimulator::deliverLater(std::optional<PendingCallback> callback) {
  if (callback) {
    events().post(loggedCallback(callLog(), std::move(*callback)));
  }
}

void EdsSimulator::raiseEvent(std::int32_t camera, std::int32_t kind, std::uint32_t code,
                              std::uint32_t argument, std::uint32_t parameter) {
  std::optional<PendingCallback> callback;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    switch (kind) {
    case 1: // VOSTREL_SIM_PROPERTY_EVENT
      callback = propertyEvent(*target, code, argument, parameter);
      break;
    case 2: { // VOSTREL_SIM_OBJECT_EVENT
      std::shared_ptr<Entry> newest = target->newestPicture;
      if (!newest && !target->volumes.empty()) {
        forEachFile(*target->volumes.front().root, [&](const std::string& path, const Entry&) {
          newest = findEntry(target->volumes.front(), path);
        });
      }
      callback = objectEvent(target, code, 0, newest);
      break;
    }
    case 3: // VOSTREL_SIM_STATE_EVENT
      callback = stateEvent(*target, code, parameter);
      break;
    default:
      throw std::invalid_argument("there is no event kind " + std::to_string(kind));
    }
  }
  deliverLater(std::move(callback));
}

void EdsSimulator::detachCamera(std::int32_t camera) {
  std::optional<PendingCallback> callback;
  {
    std::lock_guard lock(mutex());
    const auto target = world().camera(camera);
    if (!target) {
      throw std::invalid_argument("there is no camera " + std::to_string(camera));
    }
    target->attached = false;
    target->sessionOpen = false;
    callback = stateEvent(*target, EdsStateEventShutdown, 0);
  }
  deliverLater(std::move(callback));
}

// ---------------------------------------------------------------------------
// Events

std::optional<PendingCallback> EdsSimulator::propertyEvent(const Camera& camera, EdsUInt32 event,
                                                           EdsUInt32 id, EdsUInt32 parameter) {
  const auto found = handlers_.find(&camera);
  if (found == handlers_.end() || !found->second.property.wants(event, EdsPropertyEventAll)) {
    return std::nullopt;
  }
  const auto& registration = found->second.property;
  return PendingCallback{"PropertyEvent(" + hexArgument(event) + ", " + hexArgument(id) + ", " +
                             std::to_string(parameter) + ")",
                         [registration, event, id, parameter] {
                           registration.handler(event, id, parameter, registration.context);
                         }};
}

std::optional<PendingCallback> EdsSimulator::objectEvent(const std::shared_ptr<Camera>& camera,
                                                         EdsUInt32 event, std::size_t volume,
                                                         const std::shared_ptr<Entry>& entry) {
  const auto found = handlers_.find(camera.get());
  if (found == handlers_.end() || !found->second.object.wants(event, EdsObjectEventAll)) {
    return std::nullopt;
  }
  const auto& registration = found->second.object;
  // The handler receives a reference of its own, which it releases.
  EdsBaseRef object = entry ? addItem(camera, volume, entry) : nullptr;
  return PendingCallback{
      "ObjectEvent(" + hexArgument(event) + ", " + describe(object) + ")",
      [registration, event, object] { registration.handler(event, object, registration.context); }};
}

std::optional<PendingCallback> EdsSimulator::stateEvent(const Camera& camera, EdsUInt32 event,
                                                        EdsUInt32 parameter) {
  const auto found = handlers_.find(&camera);
  if (found == handlers_.end() || !found->second.state.wants(event, EdsStateEventAll)) {
    return std::nullopt;
  }
  const auto& registration = found->second.state;
  return PendingCallback{"StateEvent(" + hexArgument(event) + ", " + std::to_string(parameter) +
                             ")",
                         [registration, event, parameter] {
                           registration.handler(event, parameter, registration.context);
                         }};
}

} // namespace vostrel::sim::eds
