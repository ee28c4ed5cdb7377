#pragma once
// One call of an entry point of the simulated EDSDK. It holds the
// simulator's lock while the call works, gathers the call-log line, and
// delivers the callbacks the call raises once the lock is released.

#include "eos/EDSDKTYPES.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vostrel::sim::eds {

class EdsSimulator;

// A callback on its way to the host, with its call-log line.
struct PendingCallback {
  std::string line; // "ObjectEvent(0x00000208, item#12)"
  std::function<void()> run;
};

class Call {
public:
  Call(EdsSimulator& simulator, const char* name);
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  EdsSimulator& simulator() { return simulator_; }

  // The next argument for the log line.
  void argument(std::string text) { arguments_.push_back(std::move(text)); }
  // A value handed back to the host, logged after the result.
  void out(std::string text) { outs_.push_back(std::move(text)); }

  // Delivers the callback once the call has its result: on the simulator's
  // thread, or on this one before the call returns when synchronous.
  void raise(PendingCallback callback) { raised_.push_back(std::move(callback)); }
  // Delivers the callback now and waits for it, with the lock released
  // meanwhile; objects the call uses must be held by shared pointers.
  void deliverNow(PendingCallback callback);

  // Logs the call, releases the lock, delivers what the call raised.
  EdsError finish(EdsError result);

private:
  EdsSimulator& simulator_;
  std::unique_lock<std::mutex> lock_;
  std::string name_;
  std::vector<std::string> arguments_;
  std::vector<std::string> outs_;
  std::vector<PendingCallback> raised_;
};

// Argument texts of the call log.
std::string hexArgument(std::uint32_t value);                 // 0x00000100
std::string textArgument(const char* text);                   // "C:\x.jpg", or null
std::string dataArgument(const void* data, std::size_t size); // 0B000000
std::string handlerArgument(bool present);                    // handler, or null

} // namespace vostrel::sim::eds
