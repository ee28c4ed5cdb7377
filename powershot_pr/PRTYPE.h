#pragma once
// Records of the PR SDK that reach the controller through its callbacks.

#include <array>
#include <cstddef>
#include <cstdint>

namespace vostrel {

// A PR camera event as the SDK hands it to the event handler. The controller
// keeps whole copies of released-object events until their data is fetched.
inline constexpr std::size_t PREventRecordSize = 412;
using PREventRecord = std::array<std::uint8_t, PREventRecordSize>;

// Byte offsets within a PR event record.
inline constexpr std::size_t PREventCodeOffset = 6;       // 16-bit event code
inline constexpr std::size_t PREventObjectOffset = 12;    // 32-bit object handle
inline constexpr std::size_t PREventParameterOffset = 16; // 32-bit first parameter

// The progress record of a PR data transfer, handed to the picture data
// handler once per block and once more, with length 0, at the end.
struct PRProgressRecord {
  std::uint32_t Message;
  std::uint32_t Status;
  std::uint32_t Percentage; // of the whole transfer
  std::uint32_t Offset;
  std::int32_t Length; // bytes in this block
  std::uint32_t Reserved[2];
  const std::uint8_t* Data; // the block
};

static_assert(offsetof(PRProgressRecord, Percentage) == 8);
static_assert(offsetof(PRProgressRecord, Length) == 16);
#if INTPTR_MAX == INT32_MAX
static_assert(offsetof(PRProgressRecord, Data) == 28);
static_assert(sizeof(PRProgressRecord) == 32);
#else
static_assert(offsetof(PRProgressRecord, Data) == 32);
static_assert(sizeof(PRProgressRecord) == 40);
#endif

} // namespace vostrel
