// Every text value of pydicom's character set test files, decoded here and by
// pydicom, compared value by value.

#include "DicomFileReader.h"
#include "TagDictionary.h"
#include "ZVDICOM/CharacterSetDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using ValueKey = std::pair<std::string, std::string>; // file name, element path
using ValueTable = std::map<ValueKey, std::string>;

const fs::path kCharsetFiles = fs::path(VANTOR_REAL_DICOM_DIR) / "pydicom" / "charset_files";

bool isLongForm(const std::string& vr)
{
    return vr == "OB" || vr == "OW" || vr == "OF" || vr == "OD" || vr == "OL" || vr == "OV" || vr == "SQ" ||
           vr == "UT" || vr == "UN" || vr == "UC" || vr == "UR" || vr == "SV" || vr == "UV";
}

std::string pathOf(std::uint16_t group, std::uint16_t element)
{
    char text[9];
    std::snprintf(text, sizeof text, "%04x%04x", group, element);
    return text;
}

std::uint32_t load32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t load16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

// As the script prints values: parts trimmed of trailing blanks and NULs, and
// in person names without the empty trailing component groups pydicom drops.
std::string comparable(const std::string& decoded, const std::string& vr)
{
    const bool oneValue = vr == "LT" || vr == "ST" || vr == "UT";
    std::string result;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = oneValue ? std::string::npos : decoded.find('\\', start);
        std::string part = decoded.substr(start, end == std::string::npos ? std::string::npos : end - start);
        part.erase(part.find_last_not_of(std::string(" \0", 2)) + 1);
        if (vr == "PN")
            part.erase(part.find_last_not_of('=') + 1);
        result += part;
        if (end == std::string::npos)
            break;
        result += '\\';
        start = end + 1;
    }
    return result;
}

class Walker
{
public:
    Walker(const TagDictionary& dictionary, std::string fileName, ValueTable& table)
        : dictionary_(dictionary), fileName_(std::move(fileName)), table_(table)
    {
    }

    void addValue(const std::string& path, const std::string& vr, const std::uint8_t* bytes, std::size_t size,
                  const CharacterSetDecoder& set)
    {
        const std::string value(reinterpret_cast<const char*>(bytes), size);
        table_[{fileName_, path}] = comparable(set.decode(value, vr), vr);
    }

    // A sequence value as the reader keeps it: items of defined length whose
    // elements have implicit headers, or explicit ones the reader left as they were.
    void walkSequence(const std::string& path, const std::uint8_t* value, std::size_t size,
                      const CharacterSetDecoder& set)
    {
        std::size_t offset = 0;
        for (int item = 0; offset + 8 <= size; ++item) {
            const std::uint32_t length = load32(value + offset + 4);
            if (load16(value + offset) != 0xFFFE || load16(value + offset + 2) != 0xE000 || length > size - offset - 8)
                return;
            walkItem(path + "/" + std::to_string(item) + "/", value + offset + 8, length, set);
            offset += 8 + length;
        }
    }

private:
    struct Nested
    {
        std::uint16_t group, element;
        std::string vr;
        const std::uint8_t* value;
        std::size_t size;
    };

    void walkItem(const std::string& prefix, const std::uint8_t* item, std::size_t size,
                  const CharacterSetDecoder& parent)
    {
        std::vector<Nested> elements;
        std::size_t offset = 0;
        while (offset + 8 <= size) {
            Nested nested{load16(item + offset), load16(item + offset + 2), {}, nullptr, 0};
            const std::uint8_t* header = item + offset;
            std::size_t headerSize = 8;
            std::size_t length = 0;
            if (std::isupper(header[4]) && std::isupper(header[5])) {
                nested.vr.assign(reinterpret_cast<const char*>(header + 4), 2);
                if (isLongForm(nested.vr) && header[6] == 0 && header[7] == 0 && offset + 12 <= size) {
                    headerSize = 12;
                    length = load32(header + 8);
                } else {
                    length = load16(header + 6);
                }
            } else {
                length = load32(header + 4);
                const TagDictionary::Entry* entry = dictionary_.find(nested.group, nested.element);
                nested.vr = entry != nullptr ? entry->valueRepresentation : "UN";
            }
            if (length > size - offset - headerSize)
                break;
            nested.value = header + headerSize;
            nested.size = length;
            elements.push_back(nested);
            offset += headerSize + length;
        }
        std::optional<std::string_view> itemSet;
        for (const Nested& nested : elements)
            if (nested.group == 0x0008 && nested.element == 0x0005)
                itemSet = std::string_view(reinterpret_cast<const char*>(nested.value), nested.size);
        const CharacterSetDecoder set = parent.forItem(itemSet);
        for (const Nested& nested : elements) {
            const std::string path = prefix + pathOf(nested.group, nested.element);
            if (nested.vr == "SQ")
                walkSequence(path, nested.value, nested.size, set);
            else if (CharacterSetDecoder::governs(nested.vr) && nested.group % 2 == 0)
                addValue(path, nested.vr, nested.value, nested.size, set);
        }
    }

    const TagDictionary& dictionary_;
    std::string fileName_;
    ValueTable& table_;
};

ValueTable ourValues(const std::vector<fs::path>& files, const TagDictionary& dictionary)
{
    ValueTable table;
    for (const fs::path& file : files) {
        DicomFileReader reader;
        reader.load(file.string());
        const ElementStore& store = reader.store();
        CharacterSetDecoder set;
        if (const ElementRecord* record = store.find(0x0008, 0x0005); record != nullptr && record->hasValue())
            set = CharacterSetDecoder(
                std::string_view(reinterpret_cast<const char*>(record->value()), record->valueLength));
        Walker walker(dictionary, file.filename().string(), table);
        for (const ElementRecord& record : store.records()) {
            if (record.isEndRecord || !record.hasValue())
                continue;
            std::string vr(record.valueRepresentation, 2);
            if (!std::isupper(static_cast<unsigned char>(vr[0])) || !std::isupper(static_cast<unsigned char>(vr[1]))) {
                const TagDictionary::Entry* entry = dictionary.find(record.group, record.element);
                vr = entry != nullptr ? entry->valueRepresentation : "UN";
            }
            const std::string path = pathOf(record.group, record.element);
            if (vr == "SQ")
                walker.walkSequence(path, record.value(), record.valueLength, set);
            else if (CharacterSetDecoder::governs(vr) && record.group != 0x0002 && record.group % 2 == 0)
                walker.addValue(path, vr, record.value(), record.valueLength, set);
        }
    }
    return table;
}

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

ValueTable pydicomValues(const std::vector<fs::path>& files)
{
    std::string command =
        "/usr/bin/python3 '" VANTOR_SOURCE_DIR "/dicom/tests/charset/pydicom_text_values.py'";
    for (const fs::path& file : files)
        command += " '" + file.string() + "'";
    ValueTable table;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return table;
    std::string output;
    std::array<char, 4096> buffer;
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    EXPECT_EQ(::pclose(pipe), 0) << "pydicom script failed";
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string file, path, vr, hex;
        if (std::getline(fields, file, '\t') && std::getline(fields, path, '\t') && std::getline(fields, vr, '\t')) {
            std::getline(fields, hex);
            table[{file, path}] = fromHex(hex);
        }
    }
    return table;
}

TEST(RealCharsetFiles, EveryTextValueDecodesAsPydicomDecodesIt)
{
    if (!fs::is_directory(kCharsetFiles))
        GTEST_SKIP() << kCharsetFiles << " is absent (scripts/setup.sh links pydicom's test files)";
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCharsetFiles))
        if (entry.path().extension() == ".dcm")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 15u);

    TagDictionary dictionary;
    ASSERT_GT(dictionary.load(VANTOR_SOURCE_DIR "/data/dicom.dic"), 1000u);
    const ValueTable expected = pydicomValues(files);
    const ValueTable ours = ourValues(files, dictionary);
    ASSERT_GT(expected.size(), 150u);

    std::size_t compared = 0;
    std::size_t nonAscii = 0;
    for (const auto& [key, value] : expected) {
        const auto found = ours.find(key);
        if (found == ours.end()) {
            ADD_FAILURE() << key.first << " " << key.second << ": not found here";
            continue;
        }
        EXPECT_EQ(found->second, value) << key.first << " " << key.second;
        ++compared;
        nonAscii += std::any_of(value.begin(), value.end(), [](char c) { return (c & 0x80) != 0; });
    }
    EXPECT_EQ(compared, ours.size()) << "values decoded here that pydicom does not list";
    // Names of every language of the set, and the values inside sequence items.
    EXPECT_GE(nonAscii, 25u);
    EXPECT_EQ(ours.count({"chrSQEncoding.dcm", "00321064/0/00080100"}), 1u);
    EXPECT_EQ(ours.at({"chrH31.dcm", "00100010"}),
              "Yamada^Tarou=\xE5\xB1\xB1\xE7\x94\xB0^\xE5\xA4\xAA\xE9\x83\x8E="
              "\xE3\x82\x84\xE3\x81\xBE\xE3\x81\xA0^\xE3\x81\x9F\xE3\x82\x8D\xE3\x81\x86");
}

} // namespace
