#pragma once
// The shooting parameters of a CD camera under release control: where each
// field of RemoteParamsType lives in CDSDK.DLL, and reading and writing them
// all as one record of public values.
//
// Neither direction reports an SDK failure: a value that cannot be read
// leaves its field 0, a write the camera refuses keeps the camera's value,
// and one failed call does not stop the others. (Calling while CDSDK.DLL is
// not bound still raises, as every CD call does.)

#include "core/CamDefines.h"
#include "powershot_cd/CDAPI.h"
#include "powershot_cd/CDParamTables.h"
#include "powershot_cd/CDTYPE.h"

#include <array>
#include <cstdint>

namespace vostrel::cd {

// The calls of a parameter with a value family of its own; every family has
// the same prototypes.
using CodeGet = cdapi::EntryPoint<CDGetAvValueFn>;
using CodeSet = cdapi::EntryPoint<CDSetAvValueFn>;
using FamilyReset = cdapi::EntryPoint<CDEnumAvValueResetFn>;
using FamilyCount = cdapi::EntryPoint<CDGetAvValueCountFn>;
using FamilyNext = cdapi::EntryPoint<CDEnumAvValueNextFn>;
using FamilyRelease = cdapi::EntryPoint<CDEnumAvValueReleaseFn>;

// The enumeration of a family's accepted codes.
struct CDValueFamily {
  const FamilyReset& Reset;
  const FamilyCount& Count;
  const FamilyNext& Next;
  const FamilyRelease& Release;
};

// A parameter of one field with its own 16-bit get and set calls.
struct CDCodeParam {
  TxRemoteParamType Kind;
  std::uint8_t RemoteParamsType::*Field;
  const CDConversion& Conversion;
  const CodeGet& Get;
  const CodeSet& Set;
  CDValueFamily Family;
};

extern const CDCodeParam ImageModeParam;
extern const CDCodeParam ApertureParam;
extern const CDCodeParam ShutterSpeedParam;
extern const CDCodeParam ExposureCompensationParam;
extern const CDCodeParam WhiteBalanceParam;
extern const CDCodeParam AFDistanceParam;

// The family of the flash mode; the flash compensation, the other half of
// the flash setting, has none.
extern const CDValueFamily FlashModeFamily;

// A camera setting of CDGetRelCamSettingData / CDSetRelCamSettingData, with
// the size of its value in bytes.
struct CDSettingParam {
  TxRemoteParamType Kind;
  std::uint8_t RemoteParamsType::*Field;
  const CDConversion& Conversion;
  cdUInt32 Code;
  cdUInt32 Size;
};

// The camera settings, in the order in which they are read and written.
extern const std::array<CDSettingParam, 7> SettingParams;

// The colour temperature in Kelvin, with white-balance value 13 only.
inline constexpr cdUInt32 KelvinSetting = 0x1100;
inline constexpr cdUInt32 KelvinSize = 2;

// The half of CDSetFlashSetting that the SDK leaves as it is.
inline constexpr cdUInt32 FlashUnchanged = 0xFF;

// Writes a camera setting of `size` bytes (1 or 2) holding `code`; returns
// the SDK's result.
cdError WriteSetting(cdHandle source, cdUInt32 setting, cdUInt32 size, std::uint32_t code);

// Fills the record with the camera's current settings; the fields that the
// CD cameras do not have are 0.
void ReadRemoteParams(cdHandle source, RemoteParamsType& params);

// Applies every non-zero field that the CD cameras have, in a fixed order.
void WriteRemoteParams(cdHandle source, const RemoteParamsType& params);

} // namespace vostrel::cd
