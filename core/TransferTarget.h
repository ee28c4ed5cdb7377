#pragma once
// The file a transfer writes to. The data goes into a file of its own in
// the target's folder and takes the target's name only once the transfer
// succeeded, so a picture arrives whole or not at all: a failed SDK call, a
// camera unplugged half way or a full disk leave the target as it was.

#include <string>

namespace vostrel {

class TransferTarget {
public:
  explicit TransferTarget(std::string fileName);
  // Removes the temporary file unless the transfer was committed.
  ~TransferTarget();
  TransferTarget(const TransferTarget&) = delete;
  TransferTarget& operator=(const TransferTarget&) = delete;

  // The name the host asked for.
  const std::string& FileName() const { return FileName_; }
  // The name the transfer writes to: in the same folder, with the same
  // extension, and as long as the target's name where the name allows it.
  const std::string& TemporaryName() const { return TemporaryName_; }

  // Gives the finished file the target's name, replacing an older file.
  // Raises ECamException when the system refuses.
  void Commit();

  // Runs a transfer into TemporaryName() and commits it; a failure leaves
  // no file behind and is raised as ECamException (whatever the transfer
  // raised), its message naming the host's file, never the temporary one.
  template <typename Transfer>
  void Run(Transfer&& transfer);

private:
  [[noreturn]] void RaiseInHostTerms();

  std::string FileName_;
  std::string TemporaryName_;
  bool Committed_ = false;
};

template <typename Transfer>
void TransferTarget::Run(Transfer&& transfer) {
  try {
    transfer(TemporaryName_);
  } catch (...) {
    RaiseInHostTerms();
  }
  Commit();
}

} // namespace vostrel
