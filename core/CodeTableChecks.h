#pragma once
// The compile-time check that every family's code tables share. A table
// converts both ways without loss only if every public value and every code
// of its rows appears once, value 0 (no value) never, every value lies within
// the kind's row of supported values, and the code that a value without a row
// gives is no row's code.

#include "core/CamDefines.h"

#include <cstddef>

namespace vostrel {

// `rows` holds elements with a public `Value`; `codeOf` gives an element's
// code and `noRowCode` is the code of a value without a row.
template <typename Rows, typename Code, typename CodeOf>
constexpr bool HasLosslessRows(const Rows& rows, TxRemoteParamType kind, Code noRowCode,
                               CodeOf codeOf) {
  std::size_t rowLength = 0;
  for (const SupportedParamRow& row : SupportedParamRows) {
    rowLength = row.Kind == kind ? row.Length : rowLength;
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Value == 0 || rows[i].Value >= rowLength || codeOf(rows[i]) == noRowCode) {
      return false;
    }
    for (std::size_t j = i + 1; j < rows.size(); ++j) {
      if (rows[i].Value == rows[j].Value || codeOf(rows[i]) == codeOf(rows[j])) {
        return false;
      }
    }
  }
  return true;
}

} // namespace vostrel
