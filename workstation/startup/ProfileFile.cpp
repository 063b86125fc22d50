#include "startup/ProfileFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace vantor {

namespace {

std::string lowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string trimBlanks(const std::string& text)
{
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

std::vector<std::string> readLines(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// "[name]" gives name (trimmed); anything else gives false.
bool sectionName(const std::string& line, std::string& name)
{
    const std::string trimmed = trimBlanks(line);
    if (trimmed.size() < 2 || trimmed.front() != '[')
        return false;
    const auto close = trimmed.find(']');
    if (close == std::string::npos)
        return false;
    name = trimBlanks(trimmed.substr(1, close - 1));
    return true;
}

// "key=value" gives key and value (both trimmed); comments and other lines give false.
bool keyAndValue(const std::string& line, std::string& key, std::string& value)
{
    const std::string trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return false;
    const auto equals = trimmed.find('=');
    if (equals == std::string::npos)
        return false;
    key = trimBlanks(trimmed.substr(0, equals));
    value = trimBlanks(trimmed.substr(equals + 1));
    return true;
}

bool findValue(const std::vector<std::string>& lines, const std::string& section, const std::string& key,
               std::string& value)
{
    const std::string wantedSection = lowerAscii(section);
    const std::string wantedKey = lowerAscii(key);
    bool inSection = false;
    for (const auto& line : lines) {
        std::string name;
        if (sectionName(line, name)) {
            inSection = lowerAscii(name) == wantedSection;
            continue;
        }
        std::string lineKey;
        std::string lineValue;
        if (inSection && keyAndValue(line, lineKey, lineValue) && lowerAscii(lineKey) == wantedKey) {
            value = lineValue;
            return true;
        }
    }
    return false;
}

} // namespace

std::string truncateAtCharacterBoundary(const std::string& text, std::size_t maxLength)
{
    if (text.size() <= maxLength)
        return text;
    std::size_t cut = maxLength;
    // Step back over continuation bytes (10xxxxxx) to the start of the character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return text.substr(0, cut);
}

bool writeFileAtomically(const std::string& path, const std::string& data)
{
    const std::string temporary = path + ".tmp" + std::to_string(::getpid());
    FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
    written = std::fflush(file) == 0 && written;
    written = ::fsync(::fileno(file)) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

std::string ProfileFile::readString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, std::size_t maxLength) const
{
    std::string value;
    if (!findValue(readLines(path_), section, key, value))
        value = defaultValue;
    return truncateAtCharacterBoundary(value, maxLength);
}

std::vector<std::pair<std::string, std::string>> ProfileFile::readSection(const std::string& section) const
{
    const std::string wantedSection = lowerAscii(section);
    std::vector<std::pair<std::string, std::string>> entries;
    bool inSection = false;
    for (const auto& line : readLines(path_)) {
        std::string name;
        std::string key;
        std::string value;
        if (sectionName(line, name))
            inSection = lowerAscii(name) == wantedSection;
        else if (inSection && keyAndValue(line, key, value))
            entries.emplace_back(lowerAscii(key), value);
    }
    return entries;
}

int ProfileFile::readInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    std::string value;
    if (!findValue(readLines(path_), section, key, value))
        return defaultValue;
    std::size_t position = 0;
    bool negative = false;
    if (position < value.size() && (value[position] == '-' || value[position] == '+'))
        negative = value[position++] == '-';
    long long number = 0;
    for (; position < value.size() && value[position] >= '0' && value[position] <= '9'; ++position) {
        number = number * 10 + (value[position] - '0');
        if (number > 2147483648LL)
            number = 2147483648LL;
    }
    if (negative)
        number = -number;
    if (number > 2147483647LL)
        number = 2147483647LL;
    return static_cast<int>(number);
}

bool ProfileFile::writeString(const std::string& section, const std::string& key, const std::string& value) const
{
    std::vector<std::string> lines = readLines(path_);
    const std::string wantedSection = lowerAscii(section);
    const std::string wantedKey = lowerAscii(key);
    const std::string newLine = key + "=" + value;

    bool inSection = false;
    bool sectionFound = false;
    std::size_t insertAt = lines.size();
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        std::string name;
        if (sectionName(lines[i], name)) {
            if (inSection)
                break; // the wanted section ended without the key
            inSection = lowerAscii(name) == wantedSection;
            if (inSection) {
                sectionFound = true;
                insertAt = i + 1;
            }
            continue;
        }
        if (!inSection)
            continue;
        std::string lineKey;
        std::string lineValue;
        if (keyAndValue(lines[i], lineKey, lineValue)) {
            if (lowerAscii(lineKey) == wantedKey) {
                lines[i] = newLine;
                done = true;
            } else {
                insertAt = i + 1;
            }
        }
    }
    if (!done) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }
    std::ostringstream out;
    for (const auto& line : lines)
        out << line << '\n';
    return writeFileAtomically(path_, out.str());
}

} // namespace vantor
