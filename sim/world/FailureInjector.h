#pragma once
// Failure injection: an entry point named by a test lets a number of calls
// pass, then fails a number of calls with a chosen result without doing
// anything, then works again.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace vostrel::sim {

class FailureInjector {
public:
  // A count of failing calls that never runs out.
  static constexpr std::uint32_t Always = 0xFFFFFFFF;

  // Calls 1 to passing of the entry point (counted from now) work, the next
  // failing calls return the result. Replaces an earlier injection on the
  // same entry point; failing 0 removes it.
  void inject(const std::string& entryPoint, std::uint32_t result, std::uint32_t passing,
              std::uint32_t failing);
  void clear();
  // Counts a call of the entry point; the result to return instead of
  // running it, or nullopt when it runs.
  std::optional<std::uint32_t> check(const std::string& entryPoint);

private:
  struct Injection {
    std::uint32_t result = 0;
    std::uint32_t passing = 0;
    std::uint32_t failing = 0;
  };

  std::mutex mutex_;
  std::map<std::string, Injection> injections_;
};

} // namespace vostrel::sim
