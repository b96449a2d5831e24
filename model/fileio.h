#pragma once
// Whole-buffer reads and writes on POSIX descriptors; integers little-endian.

#include <cstddef>
#include <cstdint>

namespace fileio {

// True only when all `size` bytes were transferred (EINTR is retried).
bool ReadAll(int fd, void* data, std::size_t size);
bool WriteAll(int fd, const void* data, std::size_t size);

bool ReadInt32(int fd, std::int32_t& value);
bool WriteInt32(int fd, std::int32_t value);

} // namespace fileio
