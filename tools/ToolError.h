#pragma once
// A failure of the command-line host itself (as opposed to the component's
// ECamException): a picture that never came, a file that cannot be written.

#include <stdexcept>

namespace vostrel::tools {

class ToolError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

} // namespace vostrel::tools
