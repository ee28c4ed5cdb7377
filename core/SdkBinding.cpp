#include "core/SdkBinding.h"

#include "core/ECamException.h"

#include <string_view>

namespace vostrel::sdk {

namespace {

std::string_view unitFileName(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

void* EntryPointSlot::require() const {
  if (address_ == nullptr) {
    if (!library_.loaded()) {
      throw ECamException(std::string(library_.fileName()) + " could not be loaded");
    }
    throw ECamException(std::string(library_.fileName()) + " does not provide " + name_);
  }
  return address_;
}

bool SdkLibrary::open() {
  auto opened = platform::DynamicLibrary::open(fileName_);
  if (!opened) {
    return false;
  }
  library_ = std::move(opened);
  return true;
}

bool SdkLibrary::bind(EntryPointSlot& entry) const {
  entry.bind(library_ ? library_->symbol(entry.name()) : nullptr);
  return entry.bound();
}

void SdkLibrary::unload() noexcept {
  for (EntryPointSlot* entry : entryPoints_) {
    entry->bind(nullptr);
  }
  library_.reset();
}

void RaiseMissingExport(const char* unitFile, int line, const SdkLibrary& library,
                        const char* missingName) {
  throw ECamException("Assertion failure (" + std::string(unitFileName(unitFile)) + ", line " +
                      std::to_string(line) + "): " + library.fileName() + " does not export " +
                      missingName);
}

} // namespace vostrel::sdk
