#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>

#include <unistd.h>

// Reads up to `size` bytes at `offset` of an open file, through interrupted
// and partial reads; returns how many it got (fewer at the file's end).
inline std::size_t readFileAt(int fd, std::uint8_t* buffer, std::size_t size, std::size_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}
