#include "eos/EDSDK.h"

#include "core/ECamException.h"
#include "platform/DynamicLibrary.h"

#include <iterator>
#include <memory>
#include <string>
#include <string_view>

namespace vostrel::edsdk {

#define VOSTREL_EDSDK_DEFINE_ENTRY_POINT(number, name, result, parameters)                         \
  EntryPoint<::name##Fn> name{#name};
EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_DEFINE_ENTRY_POINT)
#undef VOSTREL_EDSDK_DEFINE_ENTRY_POINT

namespace {

constexpr const char* LibraryName = "EDSDK.DLL";

// Every entry point in the order in which the library is bound.
#define VOSTREL_EDSDK_LIST_ENTRY_POINT(number, name, result, parameters) &name,
EntryPointSlot* const EntryPoints[] = {EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_LIST_ENTRY_POINT)};
#undef VOSTREL_EDSDK_LIST_ENTRY_POINT
static_assert(std::size(EntryPoints) == EdsEntryPointCount);

// Owns the loaded library. Its destruction at module shutdown unbinds every
// entry point and frees the library.
class LoadedLibrary {
public:
  ~LoadedLibrary() { unload(); }

  bool loaded() const noexcept { return loaded_; }

  const platform::DynamicLibrary& adopt(std::unique_ptr<platform::DynamicLibrary> library) {
    library_ = std::move(library);
    loaded_ = true;
    return *library_;
  }

  void unload() noexcept {
    for (EntryPointSlot* entry : EntryPoints) {
      entry->bind(nullptr);
    }
    loaded_ = false;
    library_.reset();
  }

private:
  std::unique_ptr<platform::DynamicLibrary> library_;
  bool loaded_ = false;
};

LoadedLibrary Library;

std::string_view unitFileName(std::string_view path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void assertionFailure(int line, const char* missingName) {
  throw ECamException("Assertion failure (" + std::string(unitFileName(__FILE__)) + ", line " +
                      std::to_string(line) + "): " + LibraryName + " does not export " +
                      missingName);
}

} // namespace

void LoadEDSDK() {
  if (Library.loaded()) {
    return;
  }
  auto opened = platform::DynamicLibrary::open(LibraryName);
  if (!opened) {
    return;
  }
  const platform::DynamicLibrary& library = Library.adopt(std::move(opened));
  for (EntryPointSlot* entry : EntryPoints) {
    entry->bind(library.symbol(entry->name()));
    if (!entry->bound()) {
      assertionFailure(__LINE__, entry->name());
    }
  }
}

bool EDSDKLoaded() noexcept {
  return Library.loaded();
}

void* EntryPointSlot::require() const {
  if (address_ == nullptr) {
    if (!Library.loaded()) {
      throw ECamException(std::string(LibraryName) + " could not be loaded");
    }
    throw ECamException(std::string(LibraryName) + " does not provide " + name_);
  }
  return address_;
}

} // namespace vostrel::edsdk
