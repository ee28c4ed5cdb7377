// The remote parameter file, which the host names and anyone may have
// written, and the shared scales its values go through on their way to a
// camera.

#include "core/CamLib.h"
#include "core/ECamException.h"
#include "core/RemoteParamsFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  try {
    const vostrel::RemoteParamsType params = vostrel::DecodeRemoteParamsFile(bytes, "fuzzed.rmp");
    // What is read must be written back as it was, reserved bytes aside.
    const std::vector<std::uint8_t> again = vostrel::EncodeRemoteParamsFile(params);
    if (vostrel::DecodeRemoteParamsFile(again, "again.rmp").WhiteBalanceKelvin !=
        params.WhiteBalanceKelvin) {
      __builtin_trap();
    }
    vostrel::CamLib::ApertureValueToCode(params.Av);
    vostrel::CamLib::ShutterSpeedValueToCode(params.Tv);
    vostrel::CamLib::SensitivityValueToCode(params.ISO);
  } catch (const vostrel::ECamException&) {
  }
  return 0;
}
