#include "eos/EDSDK.h"

#include <iterator>

namespace vostrel::edsdk {

namespace {
extern sdk::SdkLibrary Library;
} // namespace

#define VOSTREL_EDSDK_DEFINE_ENTRY_POINT(number, name, result, parameters)                         \
  EntryPoint<::name##Fn> name{Library, #name};
EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_DEFINE_ENTRY_POINT)
#undef VOSTREL_EDSDK_DEFINE_ENTRY_POINT

namespace {

// Every entry point in the order in which the library is bound.
#define VOSTREL_EDSDK_LIST_ENTRY_POINT(number, name, result, parameters) &name,
EntryPointSlot* const EntryPoints[] = {EDSDK_ENTRY_POINTS(VOSTREL_EDSDK_LIST_ENTRY_POINT)};
#undef VOSTREL_EDSDK_LIST_ENTRY_POINT
static_assert(std::size(EntryPoints) == EdsEntryPointCount);

// Freed, with every entry point unbound, when the module shuts down.
sdk::SdkLibrary Library{"EDSDK.DLL", EntryPoints};

} // namespace

void LoadEDSDK() {
  if (Library.loaded() || !Library.open()) {
    return;
  }
  for (EntryPointSlot* entry : Library.entryPoints()) {
    if (!Library.bind(*entry)) {
      sdk::RaiseMissingExport(__FILE__, __LINE__, Library, entry->name());
    }
  }
}

bool EDSDKLoaded() noexcept {
  return Library.loaded();
}

} // namespace vostrel::edsdk
