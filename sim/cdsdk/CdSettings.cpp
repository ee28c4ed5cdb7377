// The shooting settings of the simulated CD cameras under release control:
// value families with their get, set and enumeration calls, the image-format
// and flash pairs, and the camera settings with their widths. A family whose
// setting is not enumerable cannot be listed, only written.

#include "sim/cdsdk/CdSimulator.h"

#include <algorithm>
#include <cstring>

namespace vostrel::sim::cd {

namespace {

// The half of the flash setting that a write leaves as it is.
constexpr cdUInt32 FlashUnchanged = 0xFF;

std::uint32_t valueOf(const Property& property) {
  return readU32(property.value, 0);
}

std::uint32_t pairOf(cdUInt32 quality, cdUInt32 size) {
  return (quality & 0xFFFF) | (size & 0xFFFF) << 16;
}

void writeOrFail(Property& property, const Bytes& value) {
  switch (property.write(value)) {
  case WriteOutcome::Applied:
  case WriteOutcome::Unchanged:
    return;
  case WriteOutcome::Refused:
    fail(property.refusal != 0 ? property.refusal : cdDeviceInvalidParameter);
  case WriteOutcome::WrongSize:
    fail(cdInvalidLength);
  case WriteOutcome::ReadOnly:
    fail(cdDeviceInvalidParameter);
  }
}

// A 16-bit code of a value family, as the property keeps it (widened with
// its sign for a signed property).
Bytes codeBytes(const Property& property, cdUInt32 code) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(code),
                                 static_cast<std::uint8_t>(code >> 8)};
  return property.widened(bytes, sizeof bytes);
}

} // namespace

Property& CdSimulator::setting(cdHandle source, std::uint32_t id) {
  Property* property = underReleaseControl(source).camera->property(id);
  if (property == nullptr) {
    fail(cdNotSupported);
  }
  return *property;
}

cdUInt16 CdSimulator::code(cdHandle source, std::uint32_t family) {
  return static_cast<cdUInt16>(valueOf(setting(source, family)));
}

void CdSimulator::setCode(cdHandle source, std::uint32_t family, cdUInt32 code) {
  Property& property = setting(source, family);
  if (code > 0xFFFF) {
    fail(cdInvalidParameter);
  }
  writeOrFail(property, codeBytes(property, code));
}

cdHandle CdSimulator::enumerateCodes(cdHandle source, std::uint32_t family) {
  const Property& property = setting(source, family);
  if (!property.enumerable) {
    fail(cdNotSupported);
  }
  Enumeration enumeration;
  enumeration.listing = Listing::Codes;
  for (const Bytes& value : property.accepted.value_or(std::vector<Bytes>{property.value})) {
    enumeration.items.push_back(readU32(value, 0));
  }
  const cdHandle handle = newHandle();
  enumerations_[handle] = std::move(enumeration);
  return handle;
}

std::uint32_t CdSimulator::nextItem(cdHandle handle) {
  Enumeration& enumeration = requireEnumeration(handle, Listing::Codes);
  if (enumeration.position >= enumeration.items.size()) {
    fail(cdEnumNotApplicable);
  }
  return enumeration.items[enumeration.position++];
}

cdUInt16 CdSimulator::nextCode(cdHandle handle) {
  return static_cast<cdUInt16>(nextItem(handle));
}

void CdSimulator::imageFormat(cdHandle source, cdUInt16* quality, cdUInt16* size) {
  const std::uint32_t value = valueOf(setting(source, ImageFormatId));
  if (quality == nullptr || size == nullptr) {
    fail(cdInvalidPointer);
  }
  *quality = static_cast<cdUInt16>(value);
  *size = static_cast<cdUInt16>(value >> 16);
}

void CdSimulator::setImageFormat(cdHandle source, cdUInt32 quality, cdUInt32 size) {
  if (quality > 0xFFFF || size > 0xFFFF) {
    fail(cdInvalidParameter);
  }
  writeOrFail(setting(source, ImageFormatId), u32Bytes(pairOf(quality, size)));
}

void CdSimulator::nextImageFormat(cdHandle handle, cdUInt16* quality, cdUInt16* size) {
  if (quality == nullptr || size == nullptr) {
    fail(cdInvalidPointer);
  }
  const std::uint32_t value = nextItem(handle);
  *quality = static_cast<cdUInt16>(value);
  *size = static_cast<cdUInt16>(value >> 16);
}

void CdSimulator::flash(cdHandle source, cdUInt16* mode, cdUInt16* compensation) {
  const std::uint32_t modeCode = valueOf(setting(source, FlashModeId));
  const std::uint32_t compensationCode = valueOf(setting(source, FlashCompensationId));
  if (mode == nullptr || compensation == nullptr) {
    fail(cdInvalidPointer);
  }
  *mode = static_cast<cdUInt16>(modeCode);
  *compensation = static_cast<cdUInt16>(compensationCode);
}

// Either half given as 0xFF stays as it is; both halves are checked before
// either changes.
void CdSimulator::setFlash(cdHandle source, cdUInt32 mode, cdUInt32 compensation) {
  Property& modeSetting = setting(source, FlashModeId);
  Property& compensationSetting = setting(source, FlashCompensationId);
  if (mode > 0xFFFF || compensation > 0xFFFF) {
    fail(cdInvalidParameter);
  }
  const bool setMode = mode != FlashUnchanged;
  const bool setCompensation = compensation != FlashUnchanged;
  if ((setMode && !modeSetting.accepts(codeBytes(modeSetting, mode))) ||
      (setCompensation &&
       !compensationSetting.accepts(codeBytes(compensationSetting, compensation)))) {
    fail(cdDeviceInvalidParameter);
  }
  if (setMode) {
    writeOrFail(modeSetting, codeBytes(modeSetting, mode));
  }
  if (setCompensation) {
    writeOrFail(compensationSetting, codeBytes(compensationSetting, compensation));
  }
}

void CdSimulator::getSetting(Call& call, cdHandle source, cdUInt32 code, cdUInt32* size,
                             void* value) {
  const std::size_t width = settingWidth(code);
  const Property* property = width != 0 ? &setting(source, settingId(code)) : nullptr;
  if (property == nullptr) {
    underReleaseControl(source);
    fail(cdNotSupported);
  }
  if (size == nullptr || value == nullptr) {
    fail(cdInvalidPointer);
  }
  if (*size < width) {
    fail(cdInvalidLength);
  }
  std::memcpy(value, property->value.data(), width);
  *size = static_cast<cdUInt32>(width);
  call.out(dataArgument(property->value.data(), width));
}

void CdSimulator::setSetting(cdHandle source, cdUInt32 code, cdUInt32 size, const void* value) {
  const std::size_t width = settingWidth(code);
  if (width == 0) {
    underReleaseControl(source);
    fail(cdNotSupported);
  }
  Property& property = setting(source, settingId(code));
  if (value == nullptr) {
    fail(cdInvalidPointer);
  }
  if (size != width) {
    fail(cdInvalidLength);
  }
  writeOrFail(property, property.widened(static_cast<const std::uint8_t*>(value), width));
}

cdHandle CdSimulator::enumerateSetting(cdHandle source, cdUInt32 code, cdUInt32* valueSize) {
  const std::size_t width = settingWidth(code);
  if (width == 0) {
    underReleaseControl(source);
    fail(cdNotSupported);
  }
  if (valueSize == nullptr) {
    fail(cdInvalidPointer);
  }
  const cdHandle handle = enumerateCodes(source, settingId(code));
  enumerations_[handle].width = width;
  *valueSize = static_cast<cdUInt32>(width);
  return handle;
}

void CdSimulator::nextSetting(cdHandle handle, cdUInt32 valueSize, void* value) {
  const std::size_t width = requireEnumeration(handle, Listing::Codes).width;
  if (value == nullptr) {
    fail(cdInvalidPointer);
  }
  if (valueSize < width) {
    fail(cdInvalidLength);
  }
  const std::uint32_t item = nextItem(handle);
  std::memcpy(value, &item, width);
}

} // namespace vostrel::sim::cd
