#include "TagDictionary.h"

#include <fstream>

namespace {

bool parseHex4(const std::string& text, std::size_t offset, std::uint16_t& value)
{
    unsigned result = 0;
    for (std::size_t i = offset; i < offset + 4; ++i) {
        const char c = text[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return false;
        result = result * 16 + digit;
    }
    value = static_cast<std::uint16_t>(result);
    return true;
}

} // namespace

std::size_t TagDictionary::load(const std::string& path)
{
    entries_.clear();
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() <= 17 || line[0] == '#')
            continue;
        const std::size_t tab = line.find('\t', 15);
        std::uint16_t group = 0;
        std::uint16_t element = 0;
        if (tab == std::string::npos || !parseHex4(line, 1, group) || !parseHex4(line, 6, element))
            continue;
        const std::uint32_t key = (static_cast<std::uint32_t>(group) << 16) | element;
        entries_.try_emplace(key, Entry{line.substr(12, 2), line.substr(15, tab - 15)});
    }
    return entries_.size();
}

const TagDictionary::Entry* TagDictionary::find(std::uint16_t group, std::uint16_t element) const
{
    const auto found = entries_.find((static_cast<std::uint32_t>(group) << 16) | element);
    return found == entries_.end() ? nullptr : &found->second;
}
