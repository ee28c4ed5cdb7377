#include "sim/world/World.h"

#include "sim/world/Pictures.h"

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

namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<std::uint32_t> secondsSince1970(const CameraClock& clock) {
  const std::int64_t seconds = daysFromCivil(clock.year, clock.month, clock.day) * 86400 +
                               clock.hour * 3600 + clock.minute * 60 + clock.second;
  if (seconds < 0 || seconds > 0xFFFFFFFFll) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(seconds);
}

CameraClock clockFromSecondsSince1970(std::uint32_t seconds) {
  const std::int64_t days = seconds / 86400;
  const std::int64_t rest = seconds % 86400;
  // The civil date of a day count, by eras of 400 years.
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = shifted / 146097;
  const std::int64_t dayOfEra = shifted - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const std::int64_t month = monthIndex + (monthIndex < 10 ? 3 : -9);
  CameraClock clock;
  clock.year = static_cast<std::uint32_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  clock.month = static_cast<std::uint32_t>(month);
  clock.day = static_cast<std::uint32_t>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  clock.hour = static_cast<std::uint32_t>(rest / 3600);
  clock.minute = static_cast<std::uint32_t>(rest / 60 % 60);
  clock.second = static_cast<std::uint32_t>(rest % 60);
  clock.millisecond = 0;
  return clock;
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

std::shared_ptr<Entry> Camera::releaseJpegPicture(bool toCard, std::int64_t releasedAt) {
  auto picture = std::make_shared<Entry>();
  picture->name = pictureName(".JPG");
  picture->kind = FileKind::Jpeg;
  picture->number = nextFileNumber;
  PictureFile file = makeReleasedJpegPicture(picture->number, nextShotMark());
  picture->content = std::move(file.content);
  picture->thumbnail = std::move(file.thumbnail);
  if (toCard) {
    storePicture(picture);
    --availableShots;
  } else {
    picture->onCard = false;
  }
  newestPicture = picture;
  nextFileNumber = nextFileNumber % 9999 + 1;
  countRelease(releasedAt);
  return picture;
}

void Camera::countRelease(std::int64_t releasedAt) {
  ++releaseCount;
  lastReleaseNanoseconds = releasedAt;
}

std::shared_ptr<Camera> World::camera(std::int32_t index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= cameras.size()) {
    return nullptr;
  }
  return cameras[static_cast<std::size_t>(index)];
}

} // namespace vostrel::sim
