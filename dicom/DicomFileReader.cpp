#include "DicomFileReader.h"

#include "ByteOrder.h"
#include "ElementTags.h"
#include "ExplicitHeader.h"
#include "NestedSequence.h"
#include "DeflatedDataSet.h"
#include "FileRead.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace ElementTags;

constexpr std::size_t kPart10DataStart = 132;
// First read of a header-only load; grows when a header is larger.
constexpr std::size_t kHeaderChunk = 16 * 1024;

const char kBigEndianExplicit[] = "1.2.840.10008.1.2.2";
const char kDeflatedExplicit[] = "1.2.840.10008.1.2.1.99";
const char kStandardSyntaxRoot[] = "1.2.840.10008.1.2";

// Eight zero bytes where an element header is expected: the zero padding that
// some writers leave after the last element, not an element (group 0000 is
// never stored in files). Reading it as elements would fill the store with
// thousands of empty records.
bool isZeroPadding(const std::uint8_t* header)
{
    static const std::uint8_t kZeros[8] = {};
    return std::memcmp(header, kZeros, 8) == 0;
}

using ExplicitHeader::isLongForm;
using ExplicitHeader::isUpperLetter;
using ExplicitHeader::isVr;

using ExplicitHeader::longFormSwapUnit;
using ExplicitHeader::shortFormSwapUnit;

std::string_view trimmedUid(const std::uint8_t* value, std::size_t length)
{
    std::string_view text(reinterpret_cast<const char*>(value), length);
    while (!text.empty() && (text.back() == '\0' || text.back() == ' '))
        text.remove_suffix(1);
    return text;
}

// Whether the data set after the meta group is big-endian. The transfer syntax
// decides when it names a standard one; otherwise the first group number is
// taken in the byte order that makes it the smaller number (a little-endian
// data set that starts at group 0010 or later is not mistaken for big-endian).
bool dataSetIsBigEndian(std::uint16_t firstGroupLittleEndian, std::string_view transferSyntax)
{
    if (transferSyntax == kBigEndianExplicit)
        return true;
    if (transferSyntax.substr(0, sizeof(kStandardSyntaxRoot) - 1) == kStandardSyntaxRoot)
        return false;
    return ByteOrder::swap16(firstGroupLittleEndian) < firstGroupLittleEndian;
}

class FileDescriptor
{
public:
    explicit FileDescriptor(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

    // Size of a regular file; false for anything else (directories, devices, pipes).
    bool regularFileSize(std::size_t& size) const
    {
        struct stat status {};
        if (fd_ < 0 || ::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode))
            return false;
        size = static_cast<std::size_t>(status.st_size);
        return true;
    }

private:
    int fd_;
};

} // namespace

// Position in the loaded bytes. When only a prefix of the file is in memory,
// any look past it sets needMore so that the load is redone with more bytes.
struct DicomFileReader::Cursor
{
    std::uint8_t* data;
    std::size_t size;
    std::size_t position;
    bool wholeFile;
    bool needMore;

    std::size_t remaining() const { return size - position; }
    bool has(std::size_t n)
    {
        if (remaining() >= n)
            return true;
        if (!wholeFile)
            needMore = true;
        return false;
    }
    // Takes up to n bytes of a value: what the file holds of it.
    std::uint32_t take(std::uint32_t n)
    {
        if (remaining() >= n)
            return n;
        if (!wholeFile)
            needMore = true;
        return static_cast<std::uint32_t>(remaining());
    }
    std::uint8_t* here() { return data + position; }
};

std::int32_t DicomFileReader::detectKind(const std::uint8_t* data, std::size_t size, std::uint32_t& byteOrderFlag)
{
    auto rawStreamAt = [&](std::size_t offset) -> bool {
        const std::uint16_t group = ByteOrder::load16(data + offset);
        if (group == 0x0008) {
            byteOrderFlag = 0;
            return true;
        }
        if (group == 0x0800) {
            byteOrderFlag = 1;
            return true;
        }
        return false;
    };
    if (size < 8)
        return UnknownKind;
    if (rawStreamAt(0))
        return RawElementStream;
    if (size < 20)
        return UnknownKind;
    if (rawStreamAt(12))
        return RawElementStream;
    if (size < 133)
        return UnknownKind;
    if (std::memcmp(data + 128, "DICM", 4) == 0)
        return Part10File;
    return UnknownKind;
}

void DicomFileReader::startLoad(const std::string& path)
{
    path_ = path;
    pixelDataMet_ = false;
    store_.clear();
    fileKind_ = UnknownKind;
    byteOrderFlag_ = 0;
    pixelHeaderOffset_ = npos;
    pixelDataSwapped_ = false;
    deflatedDataSetOffset_ = npos;
    dataSetInflated_ = false;
    loadedBytes_ = nullptr;
    loadedSize_ = 0;
}

void DicomFileReader::load(const std::string& path)
{
    startLoad(path);

    FileDescriptor file(path);
    std::size_t size = 0;
    if (!file.regularFileSize(size))
        return;
    // One read into one buffer, reused from load to load. (A read-only mapping
    // was measured too: populating its page tables costs more than copying
    // the cached pages.)
    std::uint8_t* buffer = store_.reserveFileBuffer(size);
    if (buffer == nullptr)
        return;
    const std::size_t got = readFileAt(file.get(), buffer, size, 0);
    fileKind_ = detectKind(buffer, got, byteOrderFlag_);
    if (fileKind_ == UnknownKind)
        return;
    bool needMore = false;
    loadedBytes_ = buffer;
    loadedSize_ = got;
    parse(buffer, got, true, false, needMore);
    if (deflatedDataSetOffset_ != npos)
        parseInflated(buffer, got, false);
}

bool DicomFileReader::loadHeaderOnly(const std::string& path)
{
    startLoad(path);

    FileDescriptor file(path);
    std::size_t size = 0;
    if (!file.regularFileSize(size))
        return false;
    std::size_t chunk = std::min(size, kHeaderChunk);
    for (;;) {
        store_.clear();
        std::uint8_t* buffer = store_.reserveFileBuffer(chunk);
        if (buffer == nullptr) {
            fileKind_ = UnknownKind;
            return false;
        }
        const std::size_t got = readFileAt(file.get(), buffer, chunk, 0);
        const bool wholeFile = got < chunk || chunk >= size;
        fileKind_ = detectKind(buffer, got, byteOrderFlag_);
        if (fileKind_ == UnknownKind)
            return false;
        bool needMore = false;
        parse(buffer, got, wholeFile, true, needMore);
        if (deflatedDataSetOffset_ != npos && !wholeFile) {
            // The deflated data set is inflated from the whole file.
            chunk = size;
            continue;
        }
        if (deflatedDataSetOffset_ != npos)
            parseInflated(buffer, got, true);
        if (!needMore)
            return true;
        chunk = std::min(size, chunk * 8);
    }
}

void DicomFileReader::loadFromMemory(const std::uint8_t* data, std::size_t size)
{
    startLoad(std::string());
    std::uint8_t* buffer = store_.reserveFileBuffer(size);
    if (buffer == nullptr)
        return;
    if (size > 0)
        std::memcpy(buffer, data, size);
    fileKind_ = detectKind(buffer, size, byteOrderFlag_);
    if (fileKind_ == UnknownKind)
        return;
    bool needMore = false;
    loadedBytes_ = buffer;
    loadedSize_ = size;
    parse(buffer, size, true, false, needMore);
    if (deflatedDataSetOffset_ != npos)
        parseInflated(buffer, size, false);
}

void DicomFileReader::parseInflated(const std::uint8_t* data, std::size_t size, bool headerOnly)
{
    // The meta group as read, then the inflated data set, parsed as explicit
    // little-endian. A data set that does not inflate leaves the meta group.
    std::vector<std::uint8_t> whole(data, data + deflatedDataSetOffset_);
    if (!inflateDataSet(data + deflatedDataSetOffset_, size - deflatedDataSetOffset_, whole))
        return;
    const std::string path = path_;
    const std::int32_t kind = fileKind_;
    startLoad(path);
    fileKind_ = kind;
    dataSetInflated_ = true;
    std::uint8_t* buffer = store_.reserveFileBuffer(whole.size());
    if (buffer == nullptr) {
        fileKind_ = UnknownKind;
        return;
    }
    std::memcpy(buffer, whole.data(), whole.size());
    loadedBytes_ = buffer;
    loadedSize_ = whole.size();
    bool needMore = false;
    parse(buffer, whole.size(), true, headerOnly, needMore);
}

void DicomFileReader::parse(std::uint8_t* data, std::size_t size, bool wholeFile, bool headerOnly, bool& needMore)
{
    Cursor cursor{data, size, 0, wholeFile, false};
    if (fileKind_ == Part10File)
        readPart10(cursor, headerOnly);
    else
        readRawStream(cursor, headerOnly);
    needMore = cursor.needMore;
}

void DicomFileReader::readPart10(Cursor& cursor, bool headerOnly)
{
    std::vector<ElementRecord>& records = store_.records();
    constexpr std::size_t kScratch = static_cast<std::size_t>(-1);
    std::size_t accumulator = kScratch;
    auto accumulate = [&](std::uint32_t amount) {
        if (accumulator == kScratch)
            return;
        std::uint8_t* value = records[accumulator].value();
        ByteOrder::store32(value, ByteOrder::load32(value) + amount);
    };

    cursor.position = kPart10DataStart;
    std::uint16_t previousGroup = 0;
    bool byteOrderDecided = false;
    bool swapping = false;
    std::string_view transferSyntax;

    for (;;) {
        if (!cursor.has(8)) {
            if (!cursor.needMore)
                store_.appendEndRecord();
            return;
        }
        const std::uint8_t* header = cursor.here();
        if (isZeroPadding(header)) {
            store_.appendEndRecord();
            return;
        }
        cursor.position += 8;
        std::uint16_t group = ByteOrder::load16(header);
        std::uint16_t element = ByteOrder::load16(header + 2);
        std::uint16_t shortField = ByteOrder::load16(header + 6);
        const std::uint8_t* vr = header + 4;

        if (group != 0x0002) {
            if (!byteOrderDecided) {
                byteOrderDecided = true;
                if (transferSyntax == kDeflatedExplicit && !dataSetInflated_) {
                    // A deflated data set is not element data: the load inflates it and starts again.
                    deflatedDataSetOffset_ = cursor.position - 8;
                    store_.appendEndRecord();
                    return;
                }
                swapping = dataSetIsBigEndian(group, transferSyntax);
            }
            if (swapping) {
                group = ByteOrder::swap16(group);
                element = ByteOrder::swap16(element);
                shortField = ByteOrder::swap16(shortField);
            }
        }
        if (group == kPixelGroup && element == kPixelElement) {
            pixelHeaderOffset_ = cursor.position - 8;
            pixelDataSwapped_ = swapping;
            pixelDataMet_ = true;
            if (headerOnly) {
                store_.appendEndRecord();
                return;
            }
        }

        if (group != previousGroup) {
            if (element == 0x0000) {
                accumulator = kScratch;
            } else {
                store_.appendGroupLength(group);
                accumulator = records.size() - 1;
            }
            previousGroup = group;
        }

        records.emplace_back();
        const std::size_t index = records.size() - 1;
        {
            ElementRecord& record = records[index];
            record.group = group;
            record.element = element;
            record.valueRepresentation[0] = static_cast<char>(vr[0]);
            record.valueRepresentation[1] = static_cast<char>(vr[1]);
        }
        auto keepValue = [&](std::uint32_t declared) -> std::uint32_t {
            const std::uint32_t length = cursor.take(declared);
            ElementRecord& record = records[index];
            record.externalValue = cursor.here();
            record.valueLength = length;
            record.shortLength = static_cast<std::uint16_t>(length);
            cursor.position += length;
            return length;
        };

        if (isUpperLetter(vr[0]) && isUpperLetter(vr[1])) {
            if (!isLongForm(vr, shortField)) {
                const std::uint32_t length = keepValue(shortField);
                if (cursor.needMore)
                    return;
                if (swapping)
                    swapValue(records[index], shortFormSwapUnit(vr));
                accumulate(length + 8);
            } else {
                if (!cursor.has(4)) {
                    if (cursor.needMore)
                        return;
                    cursor.position = cursor.size;
                    continue;
                }
                std::uint32_t declared = ByteOrder::load32(cursor.here());
                cursor.position += 4;
                if (swapping)
                    declared = ByteOrder::swap32(declared);
                const bool sequence = isVr(vr, 'S', 'Q');
                if (declared == kUndefinedLength) {
                    // UN of undefined length is a sequence in implicit form; it is
                    // skipped like one rather than ending the read. Any other VR
                    // (encapsulated pixel data and the like) ends the read here.
                    if (!sequence && !isVr(vr, 'U', 'N'))
                        return;
                    skipUndefinedSequence(cursor, swapping, 0);
                    if (cursor.needMore)
                        return;
                    continue;
                }
                keepValue(declared);
                if (cursor.needMore)
                    return;
                if (swapping)
                    swapValue(records[index], longFormSwapUnit(vr));
                if (sequence)
                    rewriteNestedHeaders(records[index], swapping);
                // The group length counts the value as it will be written.
                accumulate(records[index].valueLength + 8);
            }
        } else {
            std::uint32_t declared = ByteOrder::load32(header + 4);
            if (swapping)
                declared = ByteOrder::swap32(declared);
            const bool pixelData = group == kPixelGroup && element == kPixelElement;
            if (declared == kUndefinedLength) {
                if (pixelData)
                    return;
                // An implicit sequence of undefined length: skipped like an explicit one.
                skipUndefinedSequence(cursor, swapping, 0);
                if (cursor.needMore)
                    return;
                continue;
            }
            const std::uint32_t length = keepValue(declared);
            if (cursor.needMore)
                return;
            if (pixelData && swapping)
                swapValue(records[index], 2);
            accumulate(length + 8);
        }

        ElementRecord& record = records[index];
        if (group == 0x0002 && element == 0x0010)
            transferSyntax = trimmedUid(record.externalValue, record.valueLength);
        if (element == 0x0000 && accumulator == kScratch && record.hasValue() && record.shortLength == 4) {
            // The recomputed length is kept in the record itself; the file's bytes stay untouched.
            accumulator = index;
            record.externalValue = nullptr;
            record.hasInlineValue = true;
            ByteOrder::store32(record.inlineValue, 0);
        }
    }
}

void DicomFileReader::readRawStream(Cursor& cursor, bool headerOnly)
{
    std::vector<ElementRecord>& records = store_.records();
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t synthesisedLength = kNone;
    std::uint16_t previousGroup = 0;
    const bool swapping = byteOrderFlag_ == 1;
    cursor.position = 0;

    for (;;) {
        if (!cursor.has(4)) {
            if (!cursor.needMore)
                store_.appendEndRecord();
            return;
        }
        if (cursor.has(8) && isZeroPadding(cursor.here())) {
            store_.appendEndRecord();
            return;
        }
        if (cursor.needMore)
            return;
        std::uint16_t group = ByteOrder::load16(cursor.here());
        std::uint16_t element = ByteOrder::load16(cursor.here() + 2);
        cursor.position += 4;
        std::uint32_t declared = 0;
        if (cursor.has(4)) {
            declared = ByteOrder::load32(cursor.here());
            cursor.position += 4;
        } else {
            if (cursor.needMore)
                return;
            cursor.position = cursor.size;
        }
        if (swapping) {
            group = ByteOrder::swap16(group);
            element = ByteOrder::swap16(element);
            declared = ByteOrder::swap32(declared);
        }
        if (group == kPixelGroup && element == kPixelElement) {
            pixelHeaderOffset_ = cursor.position - 8;
            pixelDataMet_ = true;
            if (headerOnly) {
                store_.appendEndRecord();
                return;
            }
        }
        if (group != previousGroup) {
            synthesisedLength = kNone;
            if (element != 0x0000) {
                store_.appendGroupLength(group);
                synthesisedLength = records.size() - 1;
            }
            previousGroup = group;
        }
        ElementRecord& record = records.emplace_back();
        record.group = group;
        record.element = element;
        if (declared == kUndefinedLength) {
            if (group == kPixelGroup && element == kPixelElement)
                return;
            skipUndefinedSequence(cursor, swapping, 0);
            if (cursor.needMore)
                return;
            continue;
        }
        const std::uint32_t length = cursor.take(declared);
        if (cursor.needMore)
            return;
        record.externalValue = cursor.here();
        record.valueLength = length;
        record.shortLength = static_cast<std::uint16_t>(length);
        cursor.position += length;
        // A synthesised group length holds the group's size as written, as the
        // Part 10 reader computes it.
        if (synthesisedLength != kNone) {
            std::uint8_t* value = records[synthesisedLength].value();
            ByteOrder::store32(value, ByteOrder::load32(value) + length + 8);
        }
    }
}

void DicomFileReader::skipUndefinedSequence(Cursor& cursor, bool swapping, int depth)
{
    if (depth > kMaxNesting) {
        cursor.position = cursor.size;
        return;
    }
    for (;;) {
        if (!cursor.has(8)) {
            cursor.position = cursor.size;
            return;
        }
        const std::uint8_t* header = cursor.here();
        cursor.position += 8;
        std::uint16_t group = ByteOrder::load16(header);
        std::uint16_t element = ByteOrder::load16(header + 2);
        std::uint32_t length = ByteOrder::load32(header + 4);
        if (swapping) {
            group = ByteOrder::swap16(group);
            element = ByteOrder::swap16(element);
            length = ByteOrder::swap32(length);
        }
        if (group != kItemGroup || element == kSequenceDelimitation)
            return;
        if (length == kUndefinedLength) {
            if (element == kItem && !skipUndefinedItem(cursor, swapping, depth + 1))
                return;
            continue;
        }
        if (cursor.remaining() < length) {
            cursor.take(length);
            cursor.position = cursor.size;
            return;
        }
        cursor.position += length;
    }
}

bool DicomFileReader::skipUndefinedItem(Cursor& cursor, bool swapping, int depth)
{
    if (depth > kMaxNesting) {
        cursor.position = cursor.size;
        return false;
    }
    for (;;) {
        if (!cursor.has(8)) {
            cursor.position = cursor.size;
            return false;
        }
        const std::uint8_t* header = cursor.here();
        std::uint16_t group = ByteOrder::load16(header);
        std::uint16_t element = ByteOrder::load16(header + 2);
        if (swapping) {
            group = ByteOrder::swap16(group);
            element = ByteOrder::swap16(element);
        }
        if (group == kItemGroup && (element == kItemDelimitation || element == kSequenceDelimitation)) {
            cursor.position += 8;
            return element == kItemDelimitation;
        }
        const std::uint8_t* vr = header + 4;
        std::uint32_t length = 0;
        if (isUpperLetter(vr[0]) && isUpperLetter(vr[1])) {
            std::uint16_t shortField = ByteOrder::load16(header + 6);
            if (swapping)
                shortField = ByteOrder::swap16(shortField);
            if (isLongForm(vr, shortField)) {
                if (!cursor.has(12)) {
                    cursor.position = cursor.size;
                    return false;
                }
                length = ByteOrder::load32(header + 8);
                if (swapping)
                    length = ByteOrder::swap32(length);
                cursor.position += 12;
            } else {
                length = shortField;
                cursor.position += 8;
            }
        } else {
            length = ByteOrder::load32(header + 4);
            if (swapping)
                length = ByteOrder::swap32(length);
            cursor.position += 8;
        }
        if (length == kUndefinedLength) {
            skipUndefinedSequence(cursor, swapping, depth + 1);
            if (cursor.position >= cursor.size)
                return false;
            continue;
        }
        if (cursor.remaining() < length) {
            cursor.take(length);
            cursor.position = cursor.size;
            return false;
        }
        cursor.position += length;
    }
}

void DicomFileReader::swapValue(ElementRecord& record, std::size_t unitSize)
{
    if (unitSize == 0 || record.valueLength < unitSize)
        return;
    ByteOrder::swapUnits(record.externalValue, record.valueLength, unitSize);
}

void DicomFileReader::rewriteNestedHeaders(ElementRecord& sequence, bool bigEndian)
{
    if (!sequence.hasValue() || sequence.valueLength == 0)
        return;
    // Into the implicit form in which the control writes. A value that cannot
    // be walked as items stays as read rather than be rewritten by guesswork.
    std::vector<std::uint8_t> converted;
    if (!NestedSequence::toImplicit(sequence.value(), sequence.valueLength, bigEndian, converted))
        return;
    if (converted.size() == sequence.valueLength) {
        std::memcpy(sequence.value(), converted.data(), converted.size());
        return;
    }
    // Shorter: long-form headers lose their reserved bytes, delimiters go.
    std::unique_ptr<std::uint8_t[]> owned(new (std::nothrow) std::uint8_t[converted.size()]);
    if (!owned)
        return;
    std::memcpy(owned.get(), converted.data(), converted.size());
    sequence.ownedValue = std::move(owned);
    sequence.externalValue = sequence.ownedValue.get();
    sequence.valueLength = static_cast<std::uint32_t>(converted.size());
    sequence.shortLength = static_cast<std::uint16_t>(converted.size());
}

void DicomFileReader::makeFreshDataSet()
{
    store_.clear();
    pixelDataMet_ = false;
    byteOrderFlag_ = 0;
    fileKind_ = RawElementStream;
    static const std::uint8_t kPlaceholder[20] = {'O', 'r', 'i', 'g', 'i', 'n', 'a', 'l', 'F', 'o',
                                                  'r', 'm', 'a', 't', 0,   0,   0,   0,   0,   0};
    for (std::uint16_t element : {std::uint16_t{0x0005}, std::uint16_t{0x0008}}) {
        ElementRecord& record = store_.records().emplace_back();
        record.group = 0x0008;
        record.element = element;
        record.ownedValue.reset(new std::uint8_t[sizeof(kPlaceholder)]);
        std::memcpy(record.ownedValue.get(), kPlaceholder, sizeof(kPlaceholder));
        record.externalValue = record.ownedValue.get();
        record.valueLength = sizeof(kPlaceholder);
        record.shortLength = sizeof(kPlaceholder);
    }
}

bool DicomFileReader::storeValue(std::uint16_t group, std::uint16_t element, const std::uint8_t* source,
                                 std::size_t available, std::uint32_t n)
{
    if (!store_.hasElements())
        makeFreshDataSet();
    return store_.storeValue(group, element, source, available, n);
}
