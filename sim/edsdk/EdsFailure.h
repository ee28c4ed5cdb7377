#pragma once
// An EDSDK error raised inside the simulated library; the entry point that
// runs the work returns its code.

#include "eos/EDSDKTYPES.h"

#include <exception>

namespace vostrel::sim::eds {

class EdsFailure : public std::exception {
public:
  explicit EdsFailure(EdsError code) : code_(code) {}
  EdsError code() const { return code_; }
  const char* what() const noexcept override { return "EDSDK error"; }

private:
  EdsError code_;
};

[[noreturn]] inline void fail(EdsError code) {
  throw EdsFailure(code);
}

} // namespace vostrel::sim::eds
