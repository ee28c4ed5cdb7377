#include "powershot_cd/CDAPI.h"

#include <iterator>

namespace vostrel::cdapi {

namespace {
extern sdk::SdkLibrary Library;
} // namespace

// Each entry point is looked up under its exported name.
#define VOSTREL_CDAPI_DEFINE_ENTRY_POINT(number, name, exportName, parameters, arguments)          \
  EntryPoint<::vostrel::name##Fn> name{Library, exportName};
CDSDK_ENTRY_POINTS(VOSTREL_CDAPI_DEFINE_ENTRY_POINT)
#undef VOSTREL_CDAPI_DEFINE_ENTRY_POINT

namespace {

// Every entry point in the order in which the library is bound.
#define VOSTREL_CDAPI_LIST_ENTRY_POINT(number, name, exportName, parameters, arguments) &name,
EntryPointSlot* const EntryPoints[] = {CDSDK_ENTRY_POINTS(VOSTREL_CDAPI_LIST_ENTRY_POINT)};
#undef VOSTREL_CDAPI_LIST_ENTRY_POINT
static_assert(std::size(EntryPoints) == CDEntryPointCount);

// Freed, with every entry point unbound, when the module shuts down.
sdk::SdkLibrary Library{"CDSDK.DLL", EntryPoints};

} // namespace

void LoadCDSDK() {
  if (Library.loaded()) {
    return;
  }
  if (!Library.open()) {
    throw EInOutError(std::string(Library.fileName()) + " could not be loaded");
  }
  for (EntryPointSlot* entry : Library.entryPoints()) {
    if (!Library.bind(*entry)) {
      sdk::RaiseMissingExport(__FILE__, __LINE__, Library, entry->name());
    }
  }
}

bool CDSDKLoaded() noexcept {
  return Library.loaded();
}

} // namespace vostrel::cdapi
