// The file a transfer writes to: the data lands beside the target under a
// name of its own and takes the target's name only when the transfer
// succeeded; a failure, whatever its kind, leaves the folder as it was and
// is reported under the host's file name.

#include "core/TransferTarget.h"
#include "core/ECamException.h"
#include "core/TempFolder.h"
#include "platform/FileSystem.h"
#include "support/MessageOf.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace vostrel::test {
namespace {

class TransferTargetTest : public ::testing::Test {
protected:
  std::vector<std::string> FilesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // A transfer that writes half a picture, then fails as `fail` does.
  template <typename Fail>
  std::string HalfWrittenTransferFailing(const std::string& target, Fail fail) {
    return MessageOf([&] {
      TransferTarget transfer(target);
      transfer.Run([&](const std::string& writeTo) {
        platform::writeFile(writeTo, std::vector<std::uint8_t>(500, 0xD8));
        fail(writeTo);
      });
    });
  }

  TempFolder folder;
  const std::vector<std::uint8_t> old{'o', 'l', 'd'};
};

TEST_F(TransferTargetTest, ACommittedTransferReplacesTheTargetAndLeavesNothingElse) {
  const std::string target = folder.file("IMG_0001.JPG");
  platform::writeFile(target, old);
  std::string writtenTo;
  TransferTarget transfer(target);
  transfer.Run([&](const std::string& writeTo) {
    writtenTo = writeTo;
    EXPECT_FALSE(platform::fileExists(target) && platform::readFile(target) != old);
    platform::writeFile(writeTo, {1, 2, 3, 4});
  });
  // Beside the target, with its extension, and no longer than its name.
  const std::filesystem::path temporary(writtenTo);
  EXPECT_EQ(temporary.parent_path(), folder.path());
  EXPECT_EQ(temporary.extension(), ".JPG");
  EXPECT_EQ(temporary.filename().string().front(), '~');
  EXPECT_EQ(temporary.filename().string().size(), std::string("IMG_0001.JPG").size());
  EXPECT_EQ(platform::readFile(target), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"IMG_0001.JPG"});
  // Two transfers to one target never share a temporary file.
  EXPECT_NE(TransferTarget(target).TemporaryName(), TransferTarget(target).TemporaryName());
}

TEST_F(TransferTargetTest, AFailureOfAnyKindLeavesTheFolderAsItWasAndNamesTheHostsFile) {
  const std::string target = folder.file("picture.jpg");
  platform::writeFile(target, old);

  // The component's own error, naming the file it wrote.
  EXPECT_EQ(HalfWrittenTransferFailing(target,
                                       [](const std::string& writeTo) {
                                         throw ECamException(
                                             "The picture could not be written to " + writeTo);
                                       }),
            "The picture could not be written to " + target);
  // An error of the file layer: a full disk.
  EXPECT_EQ(HalfWrittenTransferFailing(target,
                                       [](const std::string& writeTo) {
                                         throw std::system_error(
                                             std::make_error_code(std::errc::no_space_on_device),
                                             "cannot write " + writeTo);
                                       }),
            "Cannot write " + target + ": " +
                std::make_error_code(std::errc::no_space_on_device).message());
  // Any other exception, naming the file without its folder.
  EXPECT_EQ(HalfWrittenTransferFailing(target,
                                       [](const std::string& writeTo) {
                                         throw std::runtime_error(
                                             std::filesystem::path(writeTo).filename().string() +
                                             " is damaged");
                                       }),
            "The operation failed unexpectedly: picture.jpg is damaged");

  EXPECT_EQ(platform::readFile(target), old);
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"picture.jpg"});
}

TEST_F(TransferTargetTest, ATargetThatCannotBeReplacedIsReportedAndTheTransferRemoved) {
  const std::string target = folder.file("taken");
  std::filesystem::create_directories(std::filesystem::path(target) / "inside");
  const std::string message = MessageOf([&] {
    TransferTarget transfer(target);
    transfer.Run([](const std::string& writeTo) { platform::writeFile(writeTo, {1}); });
  });
  EXPECT_EQ(message, "The picture could not be saved as " + target);
  EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"taken"});
}

} // namespace
} // namespace vostrel::test
