#include "sim/world/World.h"

#include <cstdio>

namespace vostrel::sim {

bool CameraClock::valid() const {
  static constexpr std::uint32_t DaysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (year < 1900 || year > 2100 || month < 1 || month > 12 || day < 1) {
    return false;
  }
  const std::uint32_t days = month == 2 && !leap ? 28 : DaysInMonth[month - 1];
  return day <= days && hour < 24 && minute < 60 && second < 60 && millisecond < 1000;
}

Property* Camera::property(std::uint32_t id) {
  const auto found = properties.find(id);
  return found == properties.end() ? nullptr : &found->second;
}

const Property* Camera::property(std::uint32_t id) const {
  const auto found = properties.find(id);
  return found == properties.end() ? nullptr : &found->second;
}

std::string Camera::pictureName(const std::string& extension) const {
  char number[16];
  std::snprintf(number, sizeof(number), "%04u", nextFileNumber % 10000);
  return filePrefix + number + extension;
}

void Camera::storePicture(const std::shared_ptr<Entry>& picture) {
  addChild(ensureFolder(volumes.at(0), captureFolder), picture);
  picture->onCard = true;
}

std::shared_ptr<Camera> World::camera(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= cameras.size()) {
    return nullptr;
  }
  return cameras[static_cast<std::size_t>(index)];
}

} // namespace vostrel::sim
