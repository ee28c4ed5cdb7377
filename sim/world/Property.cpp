#include "sim/world/Property.h"

#include <algorithm>

namespace vostrel::sim {

bool Property::fits(const Bytes& candidate) const {
  if (kind != ValueKind::Text) {
    return candidate.size() == value.size();
  }
  return !candidate.empty() && candidate.size() <= capacity &&
         std::find(candidate.begin(), candidate.end(), 0) != candidate.end();
}

bool Property::accepts(const Bytes& candidate) const {
  return !accepted || std::find(accepted->begin(), accepted->end(), candidate) != accepted->end();
}

WriteOutcome Property::write(const Bytes& candidate) {
  if (!writable) {
    return WriteOutcome::ReadOnly;
  }
  if (!fits(candidate)) {
    return WriteOutcome::WrongSize;
  }
  Bytes normalised = candidate;
  if (kind == ValueKind::Text) {
    normalised = textBytes(bytesText(candidate));
  }
  if (!accepts(normalised)) {
    return WriteOutcome::Refused;
  }
  const bool ignoredValue = std::find(ignored.begin(), ignored.end(), normalised) != ignored.end();
  if (!readBackAsWritten || ignoredValue || normalised == value) {
    return WriteOutcome::Unchanged;
  }
  value = normalised;
  return WriteOutcome::Applied;
}

Bytes Property::widened(const std::uint8_t* bytes, std::size_t size) const {
  Bytes written(bytes, bytes + size);
  const bool negative = kind == ValueKind::Signed && size > 0 && (bytes[size - 1] & 0x80) != 0;
  if (written.size() < value.size()) {
    written.resize(value.size(), negative ? 0xFF : 0x00);
  }
  return written;
}

} // namespace vostrel::sim
