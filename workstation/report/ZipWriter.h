#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace vantor {

// Builds a zip archive in memory, the container of an OOXML workbook, through
// libzip: each entry deflated at zlib's default level 6.
class ZipWriter {
public:
    // Entries keep the order of the calls; the first one of an OOXML package
    // is by custom "[Content_Types].xml". False when the name is empty or taken.
    bool add(std::string_view name, std::string data);

    std::size_t entryCount() const { return entries_.size(); }

    // The whole archive; empty when libzip fails.
    std::string finish() const;

private:
    struct Entry {
        std::string name;
        std::string data;
    };
    std::vector<Entry> entries_;
};

} // namespace vantor
