#pragma once
// Streams of the simulated EDSDK: in memory, or on a file of the PC opened
// with a create disposition and an access. Failures raise EdsFailure with the
// SDK's stream and file codes.

#include "eos/EDSDKTYPES.h"
#include "sim/world/Bytes.h"
#include "sim/world/FailureInjector.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace vostrel::sim::eds {

class Stream {
public:
  virtual ~Stream() = default;
  // Reads up to size bytes at the position; fewer at the end of the stream.
  virtual std::size_t read(void* buffer, std::size_t size) = 0;
  virtual void write(const void* data, std::size_t size) = 0;
  // Moves the position; a position before the start fails.
  void seek(std::int64_t offset, EdsUInt32 origin);
  std::uint64_t position() const { return position_; }
  virtual std::uint64_t length() = 0;
  // Start of the bytes of a memory stream; null for a file.
  virtual std::uint8_t* pointer() { return nullptr; }

  // Everything from the start, the position left where it was.
  Bytes readAll();
  void write(const Bytes& bytes) { write(bytes.data(), bytes.size()); }

protected:
  std::uint64_t position_ = 0;
};

class MemoryStream final : public Stream {
public:
  explicit MemoryStream(std::size_t capacity) { bytes_.reserve(capacity); }
  std::size_t read(void* buffer, std::size_t size) override;
  void write(const void* data, std::size_t size) override;
  std::uint64_t length() override { return bytes_.size(); }
  std::uint8_t* pointer() override { return bytes_.data(); }
  using Stream::write;

private:
  Bytes bytes_;
};

// A stream whose reads never run out: the bytes it was given, then 0xFF for
// ever. It reports the length it is told and takes no writes.
class EndlessStream final : public Stream {
public:
  EndlessStream(Bytes start, std::uint64_t reportedLength)
      : start_(std::move(start)), reportedLength_(reportedLength) {}
  std::size_t read(void* buffer, std::size_t size) override;
  void write(const void* data, std::size_t size) override;
  std::uint64_t length() override { return reportedLength_; }

private:
  Bytes start_;
  std::uint64_t reportedLength_;
};

class FileStream final : public Stream {
public:
  // Opens or creates the file as disposition and access say. Writes take
  // the disk space that `disk` allows; what does not fit fails.
  FileStream(const std::string& path, EdsUInt32 disposition, EdsUInt32 access,
             FailureInjector& disk);
  std::size_t read(void* buffer, std::size_t size) override;
  void write(const void* data, std::size_t size) override;
  std::uint64_t length() override;
  using Stream::write;

private:
  struct Closer {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };
  void moveTo(std::uint64_t position);

  std::unique_ptr<std::FILE, Closer> file_;
  bool readable_ = false;
  bool writable_ = false;
  FailureInjector& disk_;
};

} // namespace vostrel::sim::eds
