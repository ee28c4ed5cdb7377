// Streams of the simulated EDSDK: files of the PC and memory.

#include "sim/edsdk/EdsFailure.h"
#include "sim/edsdk/EdsSimulator.h"

#include <limits>

namespace vostrel::sim::eds {

namespace {

EdsUInt32 clampToU32(std::uint64_t value) {
  return static_cast<EdsUInt32>(
      std::min<std::uint64_t>(value, std::numeric_limits<EdsUInt32>::max()));
}

} // namespace

EdsStreamRef EdsSimulator::createFileStream(const char* fileName, EdsUInt32 disposition,
                                            EdsUInt32 access) {
  if (fileName == nullptr) {
    fail(EdsErrInvalidPointer);
  }
  auto object = std::make_shared<StreamObject>();
  object->stream = std::make_shared<FileStream>(fileName, disposition, access, failures());
  return handles_.add(object);
}

EdsStreamRef EdsSimulator::createMemoryStream(EdsUInt32 size) {
  auto object = std::make_shared<StreamObject>();
  object->stream = std::make_shared<MemoryStream>(size);
  return handles_.add(object);
}

EdsUInt32 EdsSimulator::read(EdsStreamRef stream, EdsUInt32 size, void* buffer) {
  const auto object = require<StreamObject>(stream);
  if (buffer == nullptr && size > 0) {
    fail(EdsErrInvalidPointer);
  }
  return static_cast<EdsUInt32>(size == 0 ? 0 : object->stream->read(buffer, size));
}

EdsUInt32 EdsSimulator::write(EdsStreamRef stream, EdsUInt32 size, const void* buffer) {
  const auto object = require<StreamObject>(stream);
  if (buffer == nullptr && size > 0) {
    fail(EdsErrInvalidPointer);
  }
  object->stream->write(buffer, size);
  return size;
}

void EdsSimulator::seek(EdsStreamRef stream, EdsInt32 offset, EdsUInt32 origin) {
  require<StreamObject>(stream)->stream->seek(offset, origin);
}

EdsUInt32 EdsSimulator::position(EdsStreamRef stream) {
  return clampToU32(require<StreamObject>(stream)->stream->position());
}

EdsUInt32 EdsSimulator::length(EdsStreamRef stream) {
  return clampToU32(require<StreamObject>(stream)->stream->length());
}

void EdsSimulator::copyData(EdsStreamRef from, EdsUInt32 size, EdsStreamRef to) {
  const auto source = require<StreamObject>(from);
  const auto target = require<StreamObject>(to);
  Bytes bytes(size);
  const std::size_t count = size == 0 ? 0 : source->stream->read(bytes.data(), size);
  if (count < size) {
    fail(EdsErrStreamEndOfStream);
  }
  target->stream->write(bytes);
}

void* EdsSimulator::pointer(EdsStreamRef stream) {
  void* start = require<StreamObject>(stream)->stream->pointer();
  if (start == nullptr) {
    fail(EdsErrNotSupported); // a file stream has no bytes in memory
  }
  return start;
}

} // namespace vostrel::sim::eds
