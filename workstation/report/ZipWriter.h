#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Builds a zip archive in memory, the container of an OOXML workbook. Each
// entry is deflated (raw deflate, method 8) unless deflating does not make
// it smaller, in which case it is stored (method 0). No zip64: the report's
// parts are far below 4 GiB, and add() refuses anything larger.
class ZipWriter {
public:
    // Entries keep the order of the calls; the first one of an OOXML package
    // is by custom "[Content_Types].xml". False when the name is empty or
    // taken, or the data too large for a plain zip entry.
    bool add(std::string_view name, std::string_view data);

    std::size_t entryCount() const { return entries_.size(); }

    // The whole archive: local headers and data, central directory, end record.
    std::string finish() const;

private:
    struct Entry {
        std::string name;
        std::uint16_t method = 0;
        std::uint32_t crc = 0;
        std::uint32_t uncompressedSize = 0;
        std::string payload; // stored or deflated bytes
    };
    std::vector<Entry> entries_;
};

} // namespace vantor
