#include "core/DeviceLists.h"

#include <memory>

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

DeviceListSet& ExistingLists() {
  CreateDeviceLists();
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
  if (!Lists()) {
    Lists() = std::make_unique<DeviceListSet>();
  }
}

void FreeDeviceLists() {
  Lists().reset();
}

bool DeviceListsExist() {
  return Lists() != nullptr;
}

} // namespace vostrel
