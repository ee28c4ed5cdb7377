#include "powershot_pr/PRAPI.h"

#include <iterator>

namespace vostrel::prapi {

namespace {
extern sdk::SdkLibrary Library;
} // namespace

#define VOSTREL_PRAPI_DEFINE_ENTRY_POINT(number, name, result, parameters)                         \
  EntryPoint<::vostrel::name##Fn> name{Library, #name};
PRSDK_ENTRY_POINTS(VOSTREL_PRAPI_DEFINE_ENTRY_POINT)
#undef VOSTREL_PRAPI_DEFINE_ENTRY_POINT

namespace {

// Every entry point in the order in which the library is bound.
#define VOSTREL_PRAPI_LIST_ENTRY_POINT(number, name, result, parameters) &name,
EntryPointSlot* const EntryPoints[] = {PRSDK_ENTRY_POINTS(VOSTREL_PRAPI_LIST_ENTRY_POINT)};
#undef VOSTREL_PRAPI_LIST_ENTRY_POINT
static_assert(std::size(EntryPoints) == PREntryPointCount);

// Freed, with every entry point unbound, when the module shuts down.
sdk::SdkLibrary Library{"PRSDK.DLL", EntryPoints};

} // namespace

void LoadPRSDK() {
  if (Library.loaded() || !Library.open()) {
    return;
  }
  for (EntryPointSlot* entry : Library.entryPoints()) {
    if (!Library.bind(*entry)) {
      sdk::RaiseMissingExport(__FILE__, __LINE__, Library, entry->name());
    }
  }
}

bool PRSDKLoaded() noexcept {
  return Library.loaded();
}

} // namespace vostrel::prapi
