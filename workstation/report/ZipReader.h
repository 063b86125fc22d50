#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct zip;

namespace vantor {

// Reads the entries of a zip archive held in memory, through libzip: the
// archive's consistency is checked when it is opened and each entry's CRC
// when it is read, and an entry that claims more than MaximumEntrySize bytes
// is refused, so a damaged or hostile file gives an error, never an
// allocation the file does not justify.
class ZipReader {
public:
    static constexpr std::size_t MaximumEntrySize = 256U << 20;

    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // False (and error() says why) when the bytes are not a readable archive.
    bool open(std::string archive);

    const std::string& error() const { return error_; }

    std::vector<std::string> names() const;
    bool contains(std::string_view name) const;

    // The entry's bytes; nullopt (and error()) when it is absent or damaged.
    std::optional<std::string> read(std::string_view name);

private:
    struct Closer {
        void operator()(zip* archive) const;
    };
    std::string archive_; // libzip reads from it while the archive is open
    std::unique_ptr<zip, Closer> zip_;
    std::string error_;
};

} // namespace vantor
