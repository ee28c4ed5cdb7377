#include "tools/JsonOutput.h"

namespace vostrel::tools {

nlohmann::json ValueJson(const ValueTable& table, std::int32_t value) {
  nlohmann::json result{{"value", value}};
  const std::string meaning = table.Meaning(value);
  result["meaning"] = meaning.empty() ? nlohmann::json(nullptr) : nlohmann::json(meaning);
  return result;
}

void PrintJson(std::ostream& out, const nlohmann::json& document) {
  // Names and meanings may hold bytes the camera sent; replace what is not
  // UTF-8 rather than fail.
  out << document.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

} // namespace vostrel::tools
