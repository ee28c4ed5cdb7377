#pragma once
// A camera property as the simulated cameras keep it: its current value, the
// values the camera accepts when the host writes it, and how a write shows
// when the value is read back.

#include "sim/world/Bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vostrel::sim {

// How the value's bytes are read and written in a scenario.
enum class ValueKind {
  Signed,      // 32-bit signed
  Unsigned,    // 32-bit unsigned
  Text,        // zero-terminated text of at most `capacity` bytes
  SignedArray, // a fixed number of 32-bit signed values
};

enum class WriteOutcome {
  Applied,   // the value changed to the one written
  Unchanged, // the camera took the write but kept its value (or it was equal)
  Refused,   // the value is not one the camera accepts
  WrongSize, // the size does not fit the property
  ReadOnly,  // the property cannot be written
};

struct Property {
  ValueKind kind = ValueKind::Signed;
  std::uint32_t dataType = 0; // the SDK's code for the data type
  Bytes value;
  std::size_t capacity = 0; // Text: the largest size, terminating zero included
  bool writable = true;
  // Values the camera accepts; none means every value of the right size.
  std::optional<std::vector<Bytes>> accepted;
  // Accepted values that the camera takes without changing its value.
  std::vector<Bytes> ignored;
  // False: every write is taken and nothing changes.
  bool readBackAsWritten = true;
  // The SDK's result for a refused write; 0 lets the SDK choose.
  std::uint32_t refusal = 0;
  // False: the SDK cannot list the accepted values (where it lists them).
  bool enumerable = true;

  // Size the SDK reports for the property.
  std::size_t size() const { return kind == ValueKind::Text ? capacity : value.size(); }
  bool fits(const Bytes& candidate) const;
  bool accepts(const Bytes& candidate) const;
  // Writes the value as a camera would.
  WriteOutcome write(const Bytes& candidate);
  // A value that travels in `size` bytes, as the property keeps it: widened
  // to the stored size, with its sign for a signed property.
  Bytes widened(const std::uint8_t* bytes, std::size_t size) const;
};

} // namespace vostrel::sim
