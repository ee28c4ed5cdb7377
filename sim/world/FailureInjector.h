#pragma once
// Failure injection: an entry point named by a test lets a number of calls
// pass, then fails a number of calls with a chosen result without doing
// anything, then works again. An entry point may also fail at random, each
// call with the same chance, drawn from a seeded generator so that the same
// seed and the same calls give the same failures. The disk of the PC may
// fill up: files the simulated library writes then take only so many more
// bytes. And a camera may come unplugged in the middle of a chosen call of
// an entry point, as a cable pulled during a transfer.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>

namespace vostrel::sim {

class FailureInjector {
public:
  // A count of failing calls that never runs out.
  static constexpr std::uint32_t Always = 0xFFFFFFFF;
  static constexpr std::uint32_t OneMillion = 1000000;

  // Calls 1 to passing of the entry point (counted from now) work, the next
  // failing calls return the result. Replaces an earlier injection on the
  // same entry point; failing 0 removes it.
  void inject(const std::string& entryPoint, std::uint32_t result, std::uint32_t passing,
              std::uint32_t failing);
  // Every call of the entry point fails with the result with a chance of
  // perMillion in a million (counted injections come first). Replaces an
  // earlier random injection on the entry point; 0 removes it.
  void injectRandom(const std::string& entryPoint, std::uint32_t result, std::uint32_t perMillion);
  // Restarts the generator of the random failures.
  void seedRandom(std::uint32_t seed);
  // Removes every injection, every unplugging and the limit of the disk.
  // The generator runs on.
  void clear();
  // Counts a call of the entry point; the result to return instead of
  // running it, or nullopt when it runs.
  std::optional<std::uint32_t> check(const std::string& entryPoint);
  // Calls failed by an injection, of either kind, since the library was loaded.
  std::uint64_t injected() const;

  // Camera `camera` comes unplugged during call passing + 1 of the entry
  // point (calls on any camera, counted from now). Replaces an earlier
  // unplugging on the same entry point.
  void unplugDuring(const std::string& entryPoint, std::int32_t camera, std::uint32_t passing);
  // Counts a call of the entry point; the camera to unplug during it, once.
  std::optional<std::int32_t> unplugDue(const std::string& entryPoint);

  // The disk takes `bytes` more bytes (nullopt: as many as it can).
  void limitDiskSpace(std::optional<std::uint64_t> bytes);
  // How many of `size` bytes about to be written fit on the disk; takes them.
  std::size_t takeDiskSpace(std::size_t size);

private:
  struct Injection {
    std::uint32_t result = 0;
    std::uint32_t passing = 0;
    std::uint32_t failing = 0;
  };
  struct RandomInjection {
    std::uint32_t result = 0;
    std::uint32_t perMillion = 0;
  };

  struct Unplugging {
    std::int32_t camera = 0;
    std::uint32_t passing = 0;
  };

  mutable std::mutex mutex_;
  std::map<std::string, Injection> injections_;
  std::map<std::string, Unplugging> unpluggings_;
  std::map<std::string, RandomInjection> randomInjections_;
  std::mt19937 random_{1};
  std::uint64_t injected_ = 0;
  std::optional<std::uint64_t> diskSpace_;
};

} // namespace vostrel::sim
