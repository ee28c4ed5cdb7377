#include "powershot_cd/CDERRORCODES.h"

#include "core/SdkErrors.h"
#include "platform/DynamicLibrary.h"

namespace vostrel {

// The CD library's texts are the ones all camera libraries share.
const char* CDErrorText(std::uint32_t code) noexcept {
  return sdk::ErrorTextOf(sdk::CommonErrorTexts(), code);
}

void CheckCDError(std::uint32_t result, const std::string& functionName) {
  if (result != 0) {
    sdk::RaiseSdkError(result, platform::plainExportName(functionName), CDErrorText(result));
  }
}

} // namespace vostrel
