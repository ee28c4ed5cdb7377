#pragma once
// One call of an entry point of a simulated SDK library. It holds the
// simulator's lock while the call works, gathers the call-log line, and
// delivers the callbacks the call raises once the lock is released.
//
// runEntry runs an entry point around such a call: it logs the call, honours
// an injected failure or unplugging, and turns every C++ exception into the SDK's result,
// so that nothing thrown crosses into the host.

#include "sim/world/CallLog.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace vostrel::sim {

class Simulator;

// The simulator's clock: a monotonic count of nanoseconds.
std::int64_t monotonicNanoseconds();

// A callback on its way to the host, with its call-log line.
struct PendingCallback {
  std::string line; // "ObjectEvent(0x00000208, item#12)"
  std::function<void()> run;
};

// Turns a pending callback into one that logs itself when it runs.
std::function<void()> loggedCallback(CallLog& log, PendingCallback callback);

class SdkCall {
public:
  SdkCall(Simulator& simulator, const char* name);
  SdkCall(const SdkCall&) = delete;
  SdkCall& operator=(const SdkCall&) = delete;

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

  // Unplugs the camera while this call runs: right after the first callback
  // delivered now (a transfer's first block), or once the call has its
  // result when it delivers none. A transfer checks that its camera is
  // still attached before each further block.
  void unplugDuring(std::int32_t camera) { unplug_ = camera; }

  // Logs the call, releases the lock, delivers what the call raised (only
  // when the result is 0, success).
  std::uint32_t finish(std::uint32_t result);

  // When the host made the call, before it waited for the simulator's lock,
  // on the simulator's clock (monotonicNanoseconds).
  std::int64_t startedAt() const { return started_; }

private:
  // Unplugs the camera due to be unplugged, with the lock released.
  void unplugDue() noexcept;

  Simulator& simulator_;
  std::int64_t started_;
  std::unique_lock<std::mutex> lock_;
  std::string name_;
  std::vector<std::string> arguments_;
  std::vector<std::string> outs_;
  std::vector<PendingCallback> raised_;
  std::optional<std::int32_t> unplug_;
};

// An SDK error raised inside a simulated library; the entry point that runs
// the work returns its code.
class SdkFailure : public std::exception {
public:
  explicit SdkFailure(std::uint32_t code) : code_(code) {}
  std::uint32_t code() const { return code_; }
  const char* what() const noexcept override { return "SDK error"; }

private:
  std::uint32_t code_;
};

// The SDK's results for what goes wrong around the work of a call.
struct EntryCodes {
  std::uint32_t notStarted;  // a call that needs the SDK before it was started
  std::uint32_t outOfMemory; // std::bad_alloc
  std::uint32_t internal;    // any other exception
};

// Runs one call of the entry point `name` on `simulator` (which offers
// failures(), setLastError() and started()): `arguments` adds the logged
// arguments, `body` does the work and raises SdkFailure for an SDK error.
template <typename CallType, typename SimulatorType, typename Arguments, typename Body>
std::uint32_t runEntry(SimulatorType& simulator, const char* name, bool needsSdk,
                       const EntryCodes& codes, Arguments arguments, Body body) noexcept {
  try {
    CallType call(simulator, name);
    arguments(call);
    if (const auto camera = simulator.failures().unplugDue(name)) {
      call.unplugDuring(*camera);
    }
    std::uint32_t result = 0;
    try {
      if (const auto injected = simulator.failures().check(name)) {
        result = *injected;
      } else if (needsSdk && !simulator.started()) {
        result = codes.notStarted;
      } else {
        body(call);
      }
    } catch (const SdkFailure& failure) {
      result = failure.code();
    } catch (const std::bad_alloc&) {
      result = codes.outOfMemory;
    } catch (const std::exception& error) {
      simulator.setLastError(std::string(name) + ": " + error.what());
      result = codes.internal;
    }
    return call.finish(result);
  } catch (...) {
    return codes.internal;
  }
}

// Argument texts of the call log.
std::string hexArgument(std::uint32_t value);                 // 0x00000100
std::string textArgument(const char* text);                   // "C:\x.jpg", or null
std::string dataArgument(const void* data, std::size_t size); // 0B000000
std::string handlerArgument(bool present);                    // handler, or null

} // namespace vostrel::sim
