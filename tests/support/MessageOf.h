#pragma once

#include "core/ECamException.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <string>

namespace vostrel::test {

// The message of the ECamException that the call raises; "" when it raises
// nothing. Any other exception fails the test.
inline std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ECamException& error) {
    return error.message();
  } catch (const std::exception& error) {
    ADD_FAILURE() << "unexpected exception: " << error.what();
    return "<" + std::string(error.what()) + ">";
  }
  return "";
}

} // namespace vostrel::test
