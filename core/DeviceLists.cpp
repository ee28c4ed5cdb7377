#include "core/DeviceLists.h"

#include <memory>
#include <mutex>

namespace vostrel {

namespace {

struct DeviceListSet {
  std::vector<CDDeviceRecord> CD;
  std::vector<PRDeviceRecord> PR;
  std::vector<EOSCameraRef> EOS;
};

std::unique_ptr<DeviceListSet>& Lists() {
  static std::unique_ptr<DeviceListSet> lists;
  return lists;
}

// Serialises creating and freeing the set; the lists themselves are used
// from the host's thread without a lock.
std::mutex& ListsLock() {
  static std::mutex lock;
  return lock;
}

DeviceListSet& ExistingLists() {
  std::lock_guard lock(ListsLock());
  if (!Lists()) {
    Lists() = std::make_unique<DeviceListSet>();
  }
  return *Lists();
}

} // namespace

std::vector<CDDeviceRecord>& CDDeviceList() {
  return ExistingLists().CD;
}

std::vector<PRDeviceRecord>& PRDeviceList() {
  return ExistingLists().PR;
}

std::vector<EOSCameraRef>& EOSDeviceList() {
  return ExistingLists().EOS;
}

void CreateDeviceLists() {
  ExistingLists();
}

void FreeDeviceLists() {
  std::lock_guard lock(ListsLock());
  Lists().reset();
}

bool DeviceListsExist() {
  std::lock_guard lock(ListsLock());
  return Lists() != nullptr;
}

} // namespace vostrel
