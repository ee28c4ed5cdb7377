#pragma once
// Pieces every simulated family builds its cameras and scenario names from:
// the port and card of a fresh camera, settings with a list of accepted
// values, the SDK's data-type codes and the names of properties.

#include "sim/world/World.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::sim {

// The SDK's data-type codes of the kinds of value a world keeps.
struct DataTypeCodes {
  std::uint32_t signedWord;
  std::uint32_t unsignedWord;
  std::uint32_t text;
  std::uint32_t signedArray;
  std::uint32_t unknown = 0;

  std::uint32_t of(ValueKind kind) const;
};

// A camera on USB port `index + 1` with one card that holds an empty DCIM
// folder, writing its pictures to `captureFolder`.
Camera cameraOnPort(std::size_t index, const std::string& captureFolder);

// A setting of 32-bit words with the values it accepts (none listed when
// `accepted` is empty): signed when one of them is negative.
Property listedSetting(std::int32_t value, const std::vector<std::int32_t>& accepted,
                       const DataTypeCodes& codes);

// The scenario name of a property no family table names: its identifier in
// hexadecimal, `digits` wide ("0x0405", "0x00000405").
std::string hexPropertyName(std::uint32_t id, int digits);

// Lookups in a family's table of named entries (members `id` and `name`).
template <typename Table>
const typename Table::value_type* entryWithId(const Table& table, std::uint32_t id) {
  for (const auto& entry : table) {
    if (entry.id == id) {
      return &entry;
    }
  }
  return nullptr;
}

template <typename Table>
std::optional<std::uint32_t> idOfName(const Table& table, const std::string& name) {
  for (const auto& entry : table) {
    if (name == entry.name) {
      return entry.id;
    }
  }
  return std::nullopt;
}

template <typename Table>
std::string nameOfId(const Table& table, std::uint32_t id, int hexDigits) {
  const auto* entry = entryWithId(table, id);
  return entry != nullptr ? std::string(entry->name) : hexPropertyName(id, hexDigits);
}

} // namespace vostrel::sim
