#pragma once
// Output for scripts: with --json a command prints one JSON document on
// standard output and everything else (messages, progress) on standard
// error. A parameter value travels with its meaning in a field of its own,
// so that a script never parses "16 (f/5.6)".

#include "tools/ParamValues.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <ostream>

namespace vostrel::tools {

// {"value": 16, "meaning": "f/5.6"}; the meaning is null when the value has
// none (0: the camera reports no value).
nlohmann::json ValueJson(const ValueTable& table, std::int32_t value);

// Writes the document and a line end.
void PrintJson(std::ostream& out, const nlohmann::json& document);

} // namespace vostrel::tools
