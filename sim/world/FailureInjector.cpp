#include "sim/world/FailureInjector.h"

#include <algorithm>

namespace vostrel::sim {

void FailureInjector::inject(const std::string& entryPoint, std::uint32_t result,
                             std::uint32_t passing, std::uint32_t failing) {
  std::lock_guard lock(mutex_);
  if (failing == 0) {
    injections_.erase(entryPoint);
    return;
  }
  injections_[entryPoint] = {result, passing, failing};
}

void FailureInjector::injectRandom(const std::string& entryPoint, std::uint32_t result,
                                   std::uint32_t perMillion) {
  std::lock_guard lock(mutex_);
  if (perMillion == 0) {
    randomInjections_.erase(entryPoint);
    return;
  }
  randomInjections_[entryPoint] = {result, std::min(perMillion, OneMillion)};
}

void FailureInjector::seedRandom(std::uint32_t seed) {
  std::lock_guard lock(mutex_);
  random_.seed(seed);
}

void FailureInjector::clear() {
  std::lock_guard lock(mutex_);
  injections_.clear();
  randomInjections_.clear();
  unpluggings_.clear();
  diskSpace_.reset();
}

std::optional<std::uint32_t> FailureInjector::check(const std::string& entryPoint) {
  std::lock_guard lock(mutex_);
  const auto found = injections_.find(entryPoint);
  if (found != injections_.end()) {
    Injection& injection = found->second;
    if (injection.passing > 0) {
      --injection.passing;
    } else {
      const std::uint32_t result = injection.result;
      if (injection.failing != Always && --injection.failing == 0) {
        injections_.erase(found);
      }
      ++injected_;
      return result;
    }
  }
  const auto randomly = randomInjections_.find(entryPoint);
  if (randomly != randomInjections_.end()) {
    // One draw per call of an entry point that may fail at random, whether
    // it fails or not, so the sequence depends on the calls alone.
    // (The generator's numbers are the same with every standard library;
    // its distributions' are not.)
    const std::uint32_t draw = static_cast<std::uint32_t>(random_() % OneMillion);
    if (draw < randomly->second.perMillion) {
      ++injected_;
      return randomly->second.result;
    }
  }
  return std::nullopt;
}

std::uint64_t FailureInjector::injected() const {
  std::lock_guard lock(mutex_);
  return injected_;
}

void FailureInjector::unplugDuring(const std::string& entryPoint, std::int32_t camera,
                                   std::uint32_t passing) {
  std::lock_guard lock(mutex_);
  unpluggings_[entryPoint] = {camera, passing};
}

std::optional<std::int32_t> FailureInjector::unplugDue(const std::string& entryPoint) {
  std::lock_guard lock(mutex_);
  const auto found = unpluggings_.find(entryPoint);
  if (found == unpluggings_.end()) {
    return std::nullopt;
  }
  if (found->second.passing > 0) {
    --found->second.passing;
    return std::nullopt;
  }
  const std::int32_t camera = found->second.camera;
  unpluggings_.erase(found);
  return camera;
}

void FailureInjector::limitDiskSpace(std::optional<std::uint64_t> bytes) {
  std::lock_guard lock(mutex_);
  diskSpace_ = bytes;
}

std::size_t FailureInjector::takeDiskSpace(std::size_t size) {
  std::lock_guard lock(mutex_);
  if (!diskSpace_) {
    return size;
  }
  const auto fits = static_cast<std::size_t>(std::min<std::uint64_t>(size, *diskSpace_));
  *diskSpace_ -= fits;
  return fits;
}

} // namespace vostrel::sim
