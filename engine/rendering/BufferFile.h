#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace zvipengine {

// A buffer file: a 40-byte little-endian header (data length, element size,
// three dimensions, offset flag, colour mode, 12 zero bytes) and the data.
struct BufferFileHeader {
    std::int32_t dataLength = 0;
    std::int32_t elementSize = 1;
    std::int32_t dims[3] = {1, 1, 1};
    std::int32_t offsetFlag = 0;
    std::int32_t colorMode = 0;
};

class BufferFile {
public:
    static constexpr std::int32_t HeaderBytes = 40;

    // Writes header and data under a temporary name in the same folder and
    // renames it over `path`, so a failed save leaves any old file whole.
    static bool save(const std::string& path, const BufferFileHeader& header, const std::uint8_t* data);

    // Opens a file and checks its header before anything is allocated: a
    // positive data length equal to the element size (a value <= 0 counts
    // as 1) times three dimensions of at least 1, and that many bytes
    // present after the header.
    class Reader {
    public:
        Reader() = default;
        ~Reader();
        Reader(const Reader&) = delete;
        Reader& operator=(const Reader&) = delete;

        bool open(const std::string& path);
        const BufferFileHeader& header() const { return header_; }
        // Reads header().dataLength bytes; false on a read error.
        bool readData(std::uint8_t* into);

    private:
        std::FILE* file_ = nullptr;
        BufferFileHeader header_;
    };
};

} // namespace zvipengine
