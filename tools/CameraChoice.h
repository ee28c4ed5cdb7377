#pragma once
// The camera a command works with, as the user names it: "eos:0" for the
// first EOS camera, "powershot:1" for the second PowerShot camera. A family
// without a number means its first camera.

#include "core/CamDefines.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vostrel::tools {

struct CameraChoice {
  TxCamModType Family = CamModEOS;
  std::int32_t Number = 0;
};

// The kind of camera behind a choice. A few parameter values mean different
// settings on different kinds (see ParamValues), and the public family
// PowerShot holds two kinds: the older (CD) cameras, numbered first, and the
// newer (PR) ones.
enum class CameraFamily { EOS, PR, CD };

// The kind of the chosen camera, from the lists of the last enumeration.
CameraFamily FamilyOf(const CameraChoice& camera);

// Nullopt for text that names no camera. Family names ignore case.
std::optional<CameraChoice> ParseCameraChoice(const std::string& text);

// "eos", "powershot".
std::string FamilyName(TxCamModType family);

// "eos:0", the form ParseCameraChoice reads.
std::string CameraName(TxCamModType family, std::int32_t number);

} // namespace vostrel::tools
