#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

// The element dictionary "dicom.dic": fixed columns, "(gggg,eeee) VR Name<TAB>...".
class TagDictionary
{
public:
    struct Entry
    {
        std::string valueRepresentation;
        std::string name;
    };

    // Reads the file; returns the number of entries (0 when it cannot be read).
    // Lines starting with "#", lines of 17 characters or fewer and lines without
    // a tab after the name are not entries.
    std::size_t load(const std::string& path);

    // The first entry with this tag, or nullptr.
    const Entry* find(std::uint16_t group, std::uint16_t element) const;

    std::size_t size() const { return entries_.size(); }

private:
    std::unordered_map<std::uint32_t, Entry> entries_;
};
