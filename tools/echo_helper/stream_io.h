#pragma once
// Whole-message reads and writes on the helper's pipe.
#include <cstddef>
#include <cstdint>

namespace echo_helper {

enum class ReadResult { Complete, EndOfStream, Broken };

// Reads exactly size bytes. EndOfStream when the stream ended before the
// first byte, Broken when it ended (or failed) in the middle.
ReadResult ReadExactly(int fd, std::uint8_t* buffer, std::size_t size);

bool WriteAll(int fd, const std::uint8_t* bytes, std::size_t size);

}  // namespace echo_helper
