#pragma once
// Steps whose clean-up must happen whatever fails.
//
// TryFinally: a block whose clean-up always runs: the clean-up follows the
// body whether the body returns or raises. An error raised by the clean-up
// itself replaces the body's error, so the last failure is the one reported.
//
// FirstFailure and RunEvery: steps that all run, also those after a failing
// one; the first failure is raised once every step has run.

#include <exception>
#include <utility>

namespace vostrel {

template <typename Body, typename Cleanup>
void TryFinally(Body&& body, Cleanup&& cleanup) {
  try {
    std::forward<Body>(body)();
  } catch (...) {
    std::forward<Cleanup>(cleanup)();
    throw;
  }
  std::forward<Cleanup>(cleanup)();
}

class FirstFailure {
public:
  template <typename Step>
  void Run(Step&& step) noexcept {
    try {
      std::forward<Step>(step)();
    } catch (...) {
      if (!failure) {
        failure = std::current_exception();
      }
    }
  }

  void Raise() const {
    if (failure) {
      std::rethrow_exception(failure);
    }
  }

private:
  std::exception_ptr failure;
};

template <typename... Steps>
void RunEvery(Steps&&... steps) {
  FirstFailure failure;
  (failure.Run(std::forward<Steps>(steps)), ...);
  failure.Raise();
}

} // namespace vostrel
