#include "sim/world/FailureInjector.h"

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

void FailureInjector::clear() {
  std::lock_guard lock(mutex_);
  injections_.clear();
}

std::optional<std::uint32_t> FailureInjector::check(const std::string& entryPoint) {
  std::lock_guard lock(mutex_);
  const auto found = injections_.find(entryPoint);
  if (found == injections_.end()) {
    return std::nullopt;
  }
  Injection& injection = found->second;
  if (injection.passing > 0) {
    --injection.passing;
    return std::nullopt;
  }
  const std::uint32_t result = injection.result;
  if (injection.failing != Always && --injection.failing == 0) {
    injections_.erase(found);
  }
  return result;
}

} // namespace vostrel::sim
