#include "VantorImporter/DicomDirectory.h"

#include "VantorImporter/InstanceHeader.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>

namespace vantor::importing {

namespace {

constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFF;
constexpr std::uint32_t tag(std::uint16_t group, std::uint16_t element)
{
    return (static_cast<std::uint32_t>(group) << 16) | element;
}
constexpr std::uint32_t kItem = tag(0xFFFE, 0xE000);
constexpr std::uint32_t kItemEnd = tag(0xFFFE, 0xE00D);
constexpr std::uint32_t kSequenceEnd = tag(0xFFFE, 0xE0DD);
constexpr std::uint32_t kRecordSequence = tag(0x0004, 0x1220);
constexpr std::uint32_t kReferencedFileId = tag(0x0004, 0x1500);
constexpr int kDeepestNesting = 32;

struct ElementHeader {
    std::uint32_t tag = 0;
    char vr[2] = {0, 0};
    std::uint32_t length = 0;
};

// A bounded cursor over one data set encoding. Every read checks the bounds;
// a failed read leaves ok false and the walk stops there.
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size, std::size_t position, bool explicitVr, bool bigEndian)
        : data_(data), size_(size), position_(position), explicit_(explicitVr), bigEndian_(bigEndian)
    {
    }

    bool atEnd() const { return position_ >= size_; }
    std::size_t position() const { return position_; }
    bool ok() const { return ok_; }

    bool readHeader(ElementHeader& header)
    {
        const std::uint16_t group = read16();
        const std::uint16_t element = read16();
        header.tag = tag(group, element);
        header.vr[0] = header.vr[1] = 0;
        if (group == 0xFFFE) { // item and delimiters carry no VR in any encoding
            header.length = read32();
            return ok_;
        }
        if (!explicit_) {
            header.length = read32();
            return ok_;
        }
        if (!take(2))
            return false;
        header.vr[0] = static_cast<char>(data_[position_ - 2]);
        header.vr[1] = static_cast<char>(data_[position_ - 1]);
        if (hasLongLength(header.vr)) {
            take(2);
            header.length = read32();
        } else {
            header.length = read16();
        }
        return ok_;
    }

    bool skip(std::uint32_t length) { return take(length); }

    std::string_view bytes(std::uint32_t length)
    {
        const std::size_t start = position_;
        if (!take(length))
            return {};
        return {reinterpret_cast<const char*>(data_ + start), length};
    }

    bool isSequence(const ElementHeader& header) const
    {
        if (explicit_)
            return header.vr[0] == 'S' && header.vr[1] == 'Q';
        return header.tag == kRecordSequence || header.length == kUndefinedLength;
    }

private:
    static bool hasLongLength(const char vr[2])
    {
        static constexpr const char* kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ", "SV",
                                                "UC", "UN", "UR", "UT", "UV"};
        for (const char* candidate : kLong)
            if (vr[0] == candidate[0] && vr[1] == candidate[1])
                return true;
        return false;
    }

    bool take(std::size_t count)
    {
        if (!ok_ || count > size_ - position_) {
            ok_ = false;
            position_ = size_;
            return false;
        }
        position_ += count;
        return true;
    }
    std::uint16_t read16()
    {
        if (!take(2))
            return 0;
        const std::uint8_t* p = data_ + position_ - 2;
        return bigEndian_ ? static_cast<std::uint16_t>((p[0] << 8) | p[1])
                          : static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t read32()
    {
        const std::uint32_t first = read16();
        const std::uint32_t second = read16();
        return bigEndian_ ? (first << 16) | second : first | (second << 16);
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_;
    bool explicit_;
    bool bigEndian_;
    bool ok_ = true;
};

bool skipSequence(Cursor& cursor, std::uint32_t length, int depth);

// Skips the elements of an item or data set up to `end` (defined length) or
// to the item delimiter (undefined length, end = 0).
bool skipElements(Cursor& cursor, std::size_t end, int depth)
{
    if (depth > kDeepestNesting)
        return false;
    ElementHeader header;
    while (end == 0 ? !cursor.atEnd() : cursor.position() < end) {
        if (!cursor.readHeader(header))
            return false;
        if (header.tag == kItemEnd)
            return end == 0;
        if (cursor.isSequence(header)) {
            if (!skipSequence(cursor, header.length, depth + 1))
                return false;
        } else if (header.length == kUndefinedLength || !cursor.skip(header.length)) {
            return false;
        }
    }
    return end == 0 ? false : cursor.position() == end;
}

bool skipSequence(Cursor& cursor, std::uint32_t length, int depth)
{
    if (length != kUndefinedLength)
        return cursor.skip(length);
    ElementHeader header;
    while (cursor.readHeader(header)) {
        if (header.tag == kSequenceEnd)
            return true;
        if (header.tag != kItem)
            return false;
        if (header.length != kUndefinedLength) {
            if (!cursor.skip(header.length))
                return false;
        } else if (!skipElements(cursor, 0, depth)) {
            return false;
        }
    }
    return false;
}

std::vector<std::string> fileIdComponents(std::string_view value)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    for (;;) {
        const std::size_t split = value.find('\\', start);
        std::string component = trimmedValue(std::string(value.substr(start, split - start)));
        if (!component.empty())
            components.push_back(std::move(component));
        if (split == std::string_view::npos)
            break;
        start = split + 1;
    }
    return components;
}

// One directory record: its Referenced File ID if it has one.
bool readRecord(Cursor& cursor, std::uint32_t length, DicomDirectoryReferences& references)
{
    const std::size_t end = length == kUndefinedLength ? 0 : cursor.position() + length;
    ElementHeader header;
    while (end == 0 || cursor.position() < end) {
        if (!cursor.readHeader(header))
            return false;
        if (header.tag == kItemEnd)
            return end == 0;
        if (header.tag == kReferencedFileId && header.length != kUndefinedLength) {
            std::vector<std::string> components = fileIdComponents(cursor.bytes(header.length));
            if (!cursor.ok())
                return false;
            if (!components.empty())
                references.fileIds.push_back(std::move(components));
        } else if (cursor.isSequence(header)) {
            if (!skipSequence(cursor, header.length, 1))
                return false;
        } else if (header.length == kUndefinedLength || !cursor.skip(header.length)) {
            return false;
        }
    }
    return cursor.position() == end;
}

bool readRecords(Cursor& cursor, std::uint32_t length, DicomDirectoryReferences& references)
{
    const std::size_t end = length == kUndefinedLength ? 0 : cursor.position() + length;
    ElementHeader header;
    while (end == 0 || cursor.position() < end) {
        if (!cursor.readHeader(header))
            return false;
        if (header.tag == kSequenceEnd)
            return end == 0;
        if (header.tag != kItem || !readRecord(cursor, header.length, references))
            return false;
    }
    return true;
}

} // namespace

DicomDirectoryReferences readDicomDirectory(const std::uint8_t* data, std::size_t size)
{
    DicomDirectoryReferences references;
    if (size < 132 || std::memcmp(data + 128, "DICM", 4) != 0) {
        references.problem = "not a DICOM file";
        return references;
    }
    // The meta group is explicit little-endian whatever the data set uses.
    Cursor meta(data, size, 132, true, false);
    std::string transferSyntax;
    std::size_t dataSetStart = 132;
    ElementHeader header;
    while (!meta.atEnd()) {
        const std::size_t start = meta.position();
        if (!meta.readHeader(header))
            break;
        if ((header.tag >> 16) != 0x0002) {
            dataSetStart = start;
            break;
        }
        const std::string_view bytes = meta.bytes(header.length);
        if (!meta.ok())
            break;
        if (header.tag == tag(0x0002, 0x0010))
            transferSyntax = trimmedValue(std::string(bytes));
        dataSetStart = meta.position();
    }
    const bool implicitVr = transferSyntax == "1.2.840.10008.1.2";
    const bool bigEndian = transferSyntax == "1.2.840.10008.1.2.2";
    Cursor cursor(data, size, dataSetStart, !implicitVr, bigEndian);
    while (!cursor.atEnd()) {
        if (!cursor.readHeader(header))
            break;
        if (header.tag == kRecordSequence) {
            references.readable = true;
            if (!readRecords(cursor, header.length, references))
                references.problem = "the directory records end early";
            return references;
        }
        if (cursor.isSequence(header)) {
            if (!skipSequence(cursor, header.length, 1))
                break;
        } else if (header.length == kUndefinedLength || !cursor.skip(header.length)) {
            break;
        }
    }
    references.problem = "no directory record sequence";
    return references;
}

DicomDirectoryReferences readDicomDirectoryFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        DicomDirectoryReferences references;
        references.problem = "cannot be opened";
        return references;
    }
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return readDicomDirectory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace vantor::importing
