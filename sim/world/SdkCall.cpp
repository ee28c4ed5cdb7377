#include "sim/world/SdkCall.h"

#include "sim/world/Simulator.h"

#include <chrono>
#include <cstdio>

namespace vostrel::sim {

namespace {

constexpr std::size_t LoggedDataBytes = 64;

std::string join(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) {
      text += ", ";
    }
    text += part;
  }
  return text;
}

} // namespace

std::function<void()> loggedCallback(CallLog& log, PendingCallback callback) {
  return [&log, callback = std::move(callback)] {
    log.add("callback " + callback.line);
    callback.run();
  };
}

std::int64_t monotonicNanoseconds() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

SdkCall::SdkCall(Simulator& simulator, const char* name)
    : simulator_(simulator), started_(monotonicNanoseconds()), lock_(simulator.callMutex()),
      name_(name) {}

void SdkCall::deliverNow(PendingCallback callback) {
  lock_.unlock();
  try {
    simulator_.events().deliver(loggedCallback(simulator_.callLog(), std::move(callback)));
  } catch (...) {
    lock_.lock();
    throw;
  }
  unplugDue();
  lock_.lock();
}

void SdkCall::unplugDue() noexcept {
  if (!unplug_) {
    return;
  }
  const std::int32_t camera = *unplug_;
  unplug_.reset();
  try {
    simulator_.detachCamera(camera);
  } catch (const std::exception& error) {
    // The camera went with a scenario loaded since the unplugging was asked for.
    try {
      simulator_.setLastError(name_ + ": " + error.what());
    } catch (...) {
    }
  } catch (...) {
  }
}

std::uint32_t SdkCall::finish(std::uint32_t result) {
  std::string line = name_ + "(" + join(arguments_) + ") = " + hexArgument(result);
  if (result == 0 && !outs_.empty()) {
    line += " -> " + join(outs_);
  }
  simulator_.callLog().add(std::move(line));
  lock_.unlock();
  if (result == 0) {
    for (PendingCallback& callback : raised_) {
      simulator_.events().post(loggedCallback(simulator_.callLog(), std::move(callback)));
    }
  }
  unplugDue();
  return result;
}

std::string hexArgument(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", value);
  return text;
}

std::string textArgument(const char* text) {
  return text == nullptr ? "null" : "\"" + std::string(text) + "\"";
}

std::string dataArgument(const void* data, std::size_t size) {
  if (data == nullptr) {
    return "null";
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  std::string text;
  char hex[4];
  for (std::size_t i = 0; i < size && i < LoggedDataBytes; ++i) {
    std::snprintf(hex, sizeof(hex), "%02X", bytes[i]);
    text += hex;
  }
  return size > LoggedDataBytes ? text + "..." : text;
}

std::string handlerArgument(bool present) {
  return present ? "handler" : "null";
}

} // namespace vostrel::sim
