// What the controller's operations raise when the layers below them fail
// with exceptions of their own: one ECamException with a clear message,
// file names exactly as the host wrote them.

#include "core/CamErrors.h"
#include "core/ECamException.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vostrel {
namespace {

// The message of the ECamException that the failure becomes; a failure
// that leaves as anything else fails the test.
std::string ConvertedMessage(const std::function<void()>& failure) {
  try {
    try {
      failure();
    } catch (...) {
      RaiseAsCamException();
    }
  } catch (const ECamException& converted) {
    return converted.what();
  } catch (...) {
    ADD_FAILURE() << "not converted to ECamException";
    return "";
  }
  ADD_FAILURE() << "nothing raised";
  return "";
}

TEST(CamErrors, EveryKindOfFailureBecomesACamExceptionWithItsOwnMessage) {
  EXPECT_EQ(ConvertedMessage([] { throw ECamException("Camera not connected"); }),
            "Camera not connected");
  EXPECT_EQ(ConvertedMessage([] { throw std::bad_alloc(); }),
            "Not enough memory to complete the operation");
  EXPECT_EQ(ConvertedMessage([] { throw std::length_error("vector::reserve"); }),
            "The operation failed unexpectedly: vector::reserve");
  EXPECT_EQ(ConvertedMessage([] { throw 42; }), "The operation failed unexpectedly");
}

TEST(CamErrors, FileFailuresKeepTheFileNameAsWritten) {
  test::TempFolder folder;
  const std::string missing = folder.file("missing.dat");
  EXPECT_EQ(
      ConvertedMessage([&] { platform::readFile(missing); }).rfind("Cannot open " + missing, 0),
      0u);

  // A relative name in lower case, as a host passes it.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  std::filesystem::create_directory("x.dat");
  const std::string message = ConvertedMessage([] { platform::readFileStart("x.dat", 16); });
  std::filesystem::current_path(before);
  EXPECT_EQ(message, "x.dat is not a regular file");

  // Other system errors keep their text.
  EXPECT_EQ(ConvertedMessage([] {
              throw std::system_error(
                  std::make_error_code(std::errc::resource_deadlock_would_occur), "worker thread");
            }).rfind("worker thread: ", 0),
            0u);
}

} // namespace
} // namespace vostrel
