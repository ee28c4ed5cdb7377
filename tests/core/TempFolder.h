#pragma once
// A folder of its own for one test, removed with everything in it afterwards.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>

namespace vostrel::test {

class TempFolder {
public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto unique = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() +
                                       counter.fetch_add(1));
    path_ = std::filesystem::temp_directory_path() / ("vostrel-core-" + unique);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // A path below the folder, in the system's own notation.
  std::string file(const std::string& relative) const { return (path_ / relative).string(); }
  const std::filesystem::path& path() const { return path_; }

private:
  std::filesystem::path path_;
};

} // namespace vostrel::test
