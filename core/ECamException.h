#pragma once
// The one error class of the system. Every refusal and every failure travels
// as an ECamException carrying an English message, and nothing else.

#include <exception>
#include <string>
#include <utility>

namespace vostrel {

class ECamException : public std::exception {
public:
  explicit ECamException(std::string message) : message_(std::move(message)) {}

  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

} // namespace vostrel
