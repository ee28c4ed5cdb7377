#pragma once
// The names under which the command-line host shows and reads shooting
// parameters: the public names without their "RemoteParam" prefix ("ISO",
// "Av", "WhiteBalanceKelvin"), matched without regard to case.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::tools {

struct ParamName {
  std::int32_t Kind;
  const char* Name;
};

// Every TxRemoteParamType kind, in kind order.
const std::vector<ParamName>& RemoteParamNames();
// TxRemoteParamPictureStyleType and TxRemoteParamWhitebalanceShiftType.
const std::vector<ParamName>& PictureStyleNames();
const std::vector<ParamName>& WhitebalanceShiftNames();

// The kind of a name in the list, or of a kind number of the list given as
// text ("21" for ISO); nullopt for anything else.
std::optional<std::int32_t> FindParamKind(const std::vector<ParamName>& names,
                                          const std::string& text);

} // namespace vostrel::tools
