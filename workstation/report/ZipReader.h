#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Reads the entries of a zip archive held in memory: stored and deflated
// entries, names as written. Every offset and size is checked against the
// archive, each entry's CRC is verified, and an entry that claims more than
// MaximumEntrySize bytes is refused, so a damaged or hostile file gives an
// error, never a crash or an allocation the file does not justify.
class ZipReader {
public:
    static constexpr std::size_t MaximumEntrySize = 256U << 20;

    // False (and error() says why) when the bytes are not a readable archive.
    bool open(std::string archive);

    const std::string& error() const { return error_; }

    std::vector<std::string> names() const;
    bool contains(std::string_view name) const;

    // The entry's bytes; nullopt (and error()) when it is absent, damaged or
    // of an unsupported method.
    std::optional<std::string> read(std::string_view name);

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t uncompressedSize = 0;
        std::uint32_t localHeaderOffset = 0;
    };
    std::string archive_;
    std::vector<Entry> entries_;
    std::string error_;
};

} // namespace vantor
