#include "model/fileio.h"

#include <cerrno>
#include <unistd.h>

namespace fileio {

bool ReadAll(int fd, void* data, std::size_t size)
{
    auto* p = static_cast<unsigned char*>(data);
    while (size > 0) {
        ssize_t n = read(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteAll(int fd, const void* data, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool ReadInt32(int fd, std::int32_t& value)
{
    unsigned char b[4];
    if (!ReadAll(fd, b, 4))
        return false;
    const std::uint32_t u = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                            std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    value = static_cast<std::int32_t>(u);
    return true;
}

bool WriteInt32(int fd, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                static_cast<unsigned char>(u >> 16),
                                static_cast<unsigned char>(u >> 24)};
    return WriteAll(fd, b, 4);
}

} // namespace fileio
