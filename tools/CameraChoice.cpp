#include "tools/CameraChoice.h"

#include "core/DeviceLists.h"
#include "tools/TextTools.h"

namespace vostrel::tools {

std::optional<CameraChoice> ParseCameraChoice(const std::string& text) {
  const std::string::size_type colon = text.find(':');
  const std::string family = Lowercase(text.substr(0, colon));
  CameraChoice choice;
  if (family == FamilyName(CamModEOS)) {
    choice.Family = CamModEOS;
  } else if (family == FamilyName(CamModPowerShot)) {
    choice.Family = CamModPowerShot;
  } else {
    return std::nullopt;
  }
  if (colon == std::string::npos) {
    return choice;
  }
  const std::optional<std::int32_t> number = ParseInteger(text.substr(colon + 1));
  if (!number || *number < 0) {
    return std::nullopt;
  }
  choice.Number = *number;
  return choice;
}

CameraFamily FamilyOf(const CameraChoice& camera) {
  if (camera.Family == CamModEOS) {
    return CameraFamily::EOS;
  }
  return camera.Number < static_cast<std::int64_t>(CDDeviceList().size()) ? CameraFamily::CD
                                                                          : CameraFamily::PR;
}

std::string FamilyName(TxCamModType family) {
  switch (family) {
  case CamModEOS:
    return "eos";
  case CamModPowerShot:
    return "powershot";
  default:
    return "none";
  }
}

std::string CameraName(TxCamModType family, std::int32_t number) {
  return FamilyName(family) + ":" + std::to_string(number);
}

} // namespace vostrel::tools
