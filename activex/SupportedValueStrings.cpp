#include "activex/SupportedValueStrings.h"

#include <span>

namespace vostrel {

namespace {

template <typename Flags>
std::string FlagString(const Flags& flags) {
  std::string text;
  text.reserve(flags.size());
  for (const auto flag : flags) {
    text.push_back(flag ? '1' : '0');
  }
  return text;
}

} // namespace

std::string SupportedValuesString(const SupportedParamValuesType& supported, std::int32_t kind) {
  const SupportedParamRow* row = FindSupportedParamRow(kind);
  if (row == nullptr) {
    return {};
  }
  return FlagString(
      std::span<const std::uint8_t>(supported.Flags).subspan(row->Offset, row->Length));
}

std::string RAWSupportedString(const RAWSupportedType& supported, std::int32_t kind) {
  return kind == RAWParamWhiteBalanceSetting ? FlagString(supported.WhiteBalanceSetting)
                                             : std::string();
}

} // namespace vostrel
