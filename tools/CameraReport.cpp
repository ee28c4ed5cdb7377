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

namespace {

// The two kinds of PowerShot camera share one list; "eos", "pr" or "cd".
std::string KindName(TxCamModType family, std::int32_t number) {
  switch (FamilyOf(CameraChoice{family, number})) {
  case CameraFamily::CD:
    return "cd";
  case CameraFamily::PR:
    return "pr";
  default:
    return "eos";
  }
}

} // namespace

std::int32_t PrintCameraList(const TVostrelActiveX& control, std::ostream& out,
                             const std::string& indent) {
  const auto printFamily = [&](TxCamModType family, std::int32_t count) {
    for (std::int32_t number = 0; number < count; ++number) {
      out << indent << CameraName(family, number) << '\t'
          << control.OpenCameraEnumeration_GetModel(family, number);
      if (family == CamModPowerShot) {
        out << (KindName(family, number) == "cd" ? "\t(older PowerShot, CD)"
                                                 : "\t(newer PowerShot, PR)");
      }
      out << '\n';
    }
    return count;
  };
  return printFamily(CamModPowerShot, control.OpenCameraEnumeration_GetPowerShotNr()) +
         printFamily(CamModEOS, control.OpenCameraEnumeration_GetEOSNr());
}

void PrintConnectInfo(const TVostrelActiveX& control, std::ostream& out,
                      const std::string& indent) {
  const std::string owner = control.Connect_OwnerName();
  out << indent << "model:    " << control.Connect_CameraModelName() << '\n'
      << indent << "owner:    " << (owner.empty() ? "(none)" : owner) << '\n'
      << indent << "battery:  " << BatterySourceName(control.Connect_Battery_BatterySource())
      << ", " << BatteryStatusName(control.Connect_Battery_BatteryStatus()) << '\n';
}

nlohmann::json CameraListJson(const TVostrelActiveX& control) {
  nlohmann::json cameras = nlohmann::json::array();
  const auto addFamily = [&](TxCamModType family, std::int32_t count) {
    for (std::int32_t number = 0; number < count; ++number) {
      cameras.push_back({{"camera", CameraName(family, number)},
                         {"family", FamilyName(family)},
                         {"kind", KindName(family, number)},
                         {"number", number},
                         {"model", control.OpenCameraEnumeration_GetModel(family, number)}});
    }
  };
  addFamily(CamModPowerShot, control.OpenCameraEnumeration_GetPowerShotNr());
  addFamily(CamModEOS, control.OpenCameraEnumeration_GetEOSNr());
  return cameras;
}

nlohmann::json ConnectInfoJson(const TVostrelActiveX& control) {
  const TxBatterySourceType source = control.Connect_Battery_BatterySource();
  const TxBatteryStatusType status = control.Connect_Battery_BatteryStatus();
  return {{"model", control.Connect_CameraModelName()},
          {"owner", control.Connect_OwnerName()},
          {"battery",
           {{"source", {{"value", source}, {"meaning", BatterySourceName(source)}}},
            {"status", {{"value", status}, {"meaning", BatteryStatusName(status)}}}}}};
}

} // namespace vostrel::tools
