#pragma once

// The fuzz input as a file, for parsers that are handed a path (so that the
// published load path, open, size and read, runs): an anonymous memory file
// reached through /proc/self/fd. The workstation's targets share it.

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    MemoryFile(const std::uint8_t* data, std::size_t size) : fd_(::memfd_create("vantor-fuzz", 0))
    {
        std::size_t written = 0;
        while (fd_ >= 0 && written < size) {
            const ssize_t n = ::write(fd_, data + written, size - written);
            if (n <= 0)
                break;
            written += static_cast<std::size_t>(n);
        }
    }
    ~MemoryFile()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    std::string path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};
