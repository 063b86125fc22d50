#include "report/ZipReader.h"

#include <zlib.h>

#include <algorithm>

namespace vantor {

namespace {

std::uint32_t get16(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8;
}

std::uint32_t get32(const std::string& bytes, std::size_t at)
{
    return get16(bytes, at) | get16(bytes, at + 2) << 16;
}

constexpr std::size_t EndRecordSize = 22;
constexpr std::size_t DirectoryHeaderSize = 46;
constexpr std::size_t LocalHeaderSize = 30;

} // namespace

bool ZipReader::open(std::string archive)
{
    archive_ = std::move(archive);
    entries_.clear();
    error_.clear();
    if (archive_.size() < EndRecordSize) {
        error_ = "not a zip archive (too short)";
        return false;
    }
    // The end record is the last thing in the file, followed only by a comment of up to 64 KiB.
    std::size_t end = std::string::npos;
    const std::size_t lowest = archive_.size() > EndRecordSize + 0xFFFF ? archive_.size() - EndRecordSize - 0xFFFF : 0;
    for (std::size_t at = archive_.size() - EndRecordSize + 1; at-- > lowest;) {
        if (get32(archive_, at) == 0x06054B50) {
            end = at;
            break;
        }
    }
    if (end == std::string::npos) {
        error_ = "not a zip archive (no end record)";
        return false;
    }
    const std::uint32_t count = get16(archive_, end + 10);
    const std::uint32_t directorySize = get32(archive_, end + 12);
    const std::uint32_t directoryStart = get32(archive_, end + 16);
    if (count == 0xFFFF || directoryStart == 0xFFFFFFFF) {
        error_ = "zip64 archives are not supported";
        return false;
    }
    if (std::size_t(directoryStart) + directorySize > end) {
        error_ = "damaged zip archive (central directory outside the file)";
        return false;
    }
    std::size_t at = directoryStart;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + DirectoryHeaderSize > end || get32(archive_, at) != 0x02014B50) {
            error_ = "damaged zip archive (central directory entry " + std::to_string(i) + ")";
            return false;
        }
        Entry e;
        const std::uint32_t flags = get16(archive_, at + 8);
        e.method = static_cast<std::uint16_t>(get16(archive_, at + 10));
        e.crc = get32(archive_, at + 16);
        e.compressedSize = get32(archive_, at + 20);
        e.uncompressedSize = get32(archive_, at + 24);
        const std::uint32_t nameLength = get16(archive_, at + 28);
        const std::uint32_t extraLength = get16(archive_, at + 30);
        const std::uint32_t commentLength = get16(archive_, at + 32);
        e.localHeaderOffset = get32(archive_, at + 42);
        const std::size_t next = at + DirectoryHeaderSize + nameLength + extraLength + commentLength;
        if (next > end) {
            error_ = "damaged zip archive (central directory entry " + std::to_string(i) + ")";
            return false;
        }
        e.name = archive_.substr(at + DirectoryHeaderSize, nameLength);
        if ((flags & 1U) == 0) // encrypted entries are left out: nothing of a workbook is encrypted this way
            entries_.push_back(std::move(e));
        at = next;
    }
    return true;
}

std::vector<std::string> ZipReader::names() const
{
    std::vector<std::string> result;
    for (const Entry& e : entries_)
        result.push_back(e.name);
    return result;
}

bool ZipReader::contains(std::string_view name) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
}

std::optional<std::string> ZipReader::read(std::string_view name)
{
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; });
    if (found == entries_.end()) {
        error_ = "no entry \"" + std::string(name) + "\"";
        return std::nullopt;
    }
    const Entry& e = *found;
    const std::size_t local = e.localHeaderOffset;
    if (local + LocalHeaderSize > archive_.size() || get32(archive_, local) != 0x04034B50) {
        error_ = "damaged entry \"" + e.name + "\" (local header)";
        return std::nullopt;
    }
    const std::size_t dataStart = local + LocalHeaderSize + get16(archive_, local + 26) + get16(archive_, local + 28);
    if (dataStart > archive_.size() || archive_.size() - dataStart < e.compressedSize) {
        error_ = "damaged entry \"" + e.name + "\" (data outside the file)";
        return std::nullopt;
    }
    if (e.uncompressedSize > MaximumEntrySize) {
        error_ = "entry \"" + e.name + "\" is too large";
        return std::nullopt;
    }
    std::string data;
    if (e.method == 0) {
        if (e.compressedSize != e.uncompressedSize) {
            error_ = "damaged entry \"" + e.name + "\" (sizes differ)";
            return std::nullopt;
        }
        data = archive_.substr(dataStart, e.compressedSize);
    } else if (e.method == 8) {
        // One byte more than announced, so that a stream longer than its header says is caught.
        data.resize(std::size_t(e.uncompressedSize) + 1);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
            error_ = "cannot start inflating";
            return std::nullopt;
        }
        stream.next_in = reinterpret_cast<Bytef*>(archive_.data() + dataStart);
        stream.avail_in = e.compressedSize;
        stream.next_out = reinterpret_cast<Bytef*>(data.data());
        stream.avail_out = static_cast<uInt>(data.size());
        const int result = inflate(&stream, Z_FINISH);
        const std::size_t produced = stream.total_out;
        inflateEnd(&stream);
        if (result != Z_STREAM_END || produced != e.uncompressedSize) {
            error_ = "damaged entry \"" + e.name + "\" (deflate data)";
            return std::nullopt;
        }
        data.resize(e.uncompressedSize);
    } else {
        error_ = "entry \"" + e.name + "\" uses compression method " + std::to_string(e.method);
        return std::nullopt;
    }
    const auto crc = static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    if (crc != e.crc) {
        error_ = "damaged entry \"" + e.name + "\" (checksum)";
        return std::nullopt;
    }
    return data;
}

} // namespace vantor
