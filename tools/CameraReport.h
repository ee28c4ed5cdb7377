#pragma once
// How the command-line host shows cameras: the enumerated cameras and the
// record of the connected one, read from the control's caches.

#include "activex/VostrelActiveX.h"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>

namespace vostrel::tools {

std::string BatterySourceName(TxBatterySourceType source);
std::string BatteryStatusName(TxBatteryStatusType status);

// One line per enumerated camera, "eos:0<tab>model"; returns the number of
// cameras.
std::int32_t PrintCameraList(const TVostrelActiveX& control, std::ostream& out,
                             const std::string& indent = {});

// Model, owner and battery of the connected camera.
void PrintConnectInfo(const TVostrelActiveX& control, std::ostream& out,
                      const std::string& indent = {});

// The same for scripts: [{"camera": "eos:0", "family": "eos", "number": 0,
// "model": ...}], and {"model": ..., "owner": ..., "battery": {...}}.
nlohmann::json CameraListJson(const TVostrelActiveX& control);
nlohmann::json ConnectInfoJson(const TVostrelActiveX& control);

} // namespace vostrel::tools
