#include "tools/CameraReport.h"

#include "tools/CameraChoice.h"

namespace vostrel::tools {

std::string BatterySourceName(TxBatterySourceType source) {
  switch (source) {
  case BatterySourceAC:
    return "mains power";
  case BatterySourceLitium:
    return "lithium battery";
  case BatterySourceNiMH:
    return "NiMH battery";
  case BatterySourceNiCD:
    return "NiCd battery";
  case BatterySourceAlMN:
    return "alkaline battery";
  default:
    return "unknown source";
  }
}

std::string BatteryStatusName(TxBatteryStatusType status) {
  switch (status) {
  case BatteryStatusNormal:
    return "normal";
  case BatteryStatusWeak:
    return "weak";
  case BatteryStatusSafetyLow:
    return "nearly empty";
  default:
    return "unknown";
  }
}

std::int32_t PrintCameraList(const TVostrelActiveX& control, std::ostream& out,
                             const std::string& indent) {
  const auto printFamily = [&](TxCamModType family, std::int32_t count) {
    for (std::int32_t number = 0; number < count; ++number) {
      out << indent << CameraName(family, number) << '\t'
          << control.OpenCameraEnumeration_GetModel(family, number) << '\n';
    }
    return count;
  };
  return printFamily(CamModPowerShot, control.OpenCameraEnumeration_GetPowerShotNr()) +
         printFamily(CamModEOS, control.OpenCameraEnumeration_GetEOSNr());
}

void PrintConnectInfo(const TVostrelActiveX& control, std::ostream& out,
                      const std::string& indent) {
  out << indent << "model:    " << control.Connect_CameraModelName() << '\n'
      << indent << "owner:    " << control.Connect_OwnerName() << '\n'
      << indent << "battery:  " << BatterySourceName(control.Connect_Battery_BatterySource())
      << ", " << BatteryStatusName(control.Connect_Battery_BatteryStatus()) << '\n';
}

} // namespace vostrel::tools
