#include "core/TransferTarget.h"

#include "core/CamErrors.h"
#include "core/ECamException.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <system_error>

namespace vostrel {

namespace {

constexpr std::size_t TagLength = 8;

// "~" and seven hexadecimal digits, different for every transfer of the
// process and, with good odds, from those of other processes.
std::string UniqueTag() {
  static const std::uint32_t processSeed = [] {
    std::random_device device;
    return static_cast<std::uint32_t>(device()) ^
           static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }();
  static std::atomic<std::uint32_t> counter{0};
  char tag[TagLength + 1];
  std::snprintf(tag, sizeof tag, "~%07x", (processSeed + counter.fetch_add(1)) & 0x0FFFFFFFu);
  return tag;
}

std::string TemporaryNameFor(const std::string& fileName) {
  const std::size_t nameStart = fileName.find_last_of("/\\") + 1; // npos + 1 == 0
  const std::size_t dot = fileName.find_last_of('.');
  const std::size_t extension = dot == std::string::npos || dot < nameStart ? fileName.size() : dot;
  const std::size_t stem = extension - nameStart;
  // The tag takes the place of the stem's first characters.
  const std::size_t kept = stem > TagLength ? stem - TagLength : 0;
  return fileName.substr(0, nameStart) + UniqueTag() + fileName.substr(extension - kept, kept) +
         fileName.substr(extension);
}

// The file's name without its folder.
std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of("/\\") + 1); // npos + 1 == 0
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

} // namespace

TransferTarget::TransferTarget(std::string fileName)
    : FileName_(std::move(fileName)), TemporaryName_(TemporaryNameFor(FileName_)) {}

TransferTarget::~TransferTarget() {
  if (!Committed_) {
    try {
      platform::removeFile(TemporaryName_);
    } catch (const std::system_error&) {
      // Left behind under a name nobody asked for; the target is untouched.
    }
  }
}

void TransferTarget::Commit() {
  try {
    platform::replaceFile(TemporaryName_, FileName_);
  } catch (const std::system_error&) {
    throw ECamException("The picture could not be saved as " + FileName_);
  }
  Committed_ = true;
}

void TransferTarget::RaiseInHostTerms() {
  try {
    // Errors of the file layer and the library become ECamException first,
    // so that whatever failed, its message is rewritten.
    RaiseAsCamException();
  } catch (const ECamException& error) {
    std::string message = error.message();
    ReplaceAll(message, TemporaryName_, FileName_);
    ReplaceAll(message, NameOf(TemporaryName_), NameOf(FileName_));
    throw ECamException(std::move(message));
  }
}

} // namespace vostrel
