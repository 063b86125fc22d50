#include "report/ZipWriter.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <limits>

namespace vantor {

namespace {

void put16(std::string& out, std::uint32_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Raw deflate (no zlib header), as zip method 8 wants it. Empty on failure.
std::string deflateRaw(std::string_view data)
{
    z_stream stream{};
    if (deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const std::size_t written = stream.total_out;
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return {};
    out.resize(written);
    return out;
}

// DOS date and time of the moment the archive is written (local time, as
// archivers show it).
std::pair<std::uint16_t, std::uint16_t> dosDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int year = std::clamp(local.tm_year + 1900, 1980, 2107);
    const auto date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const auto time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    return {date, time};
}

} // namespace

bool ZipWriter::add(std::string_view name, std::string_view data)
{
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max() / 2;
    if (name.empty() || name.size() > 0xFFFF || data.size() > limit || entries_.size() >= 0xFFFF)
        return false;
    if (std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.name == name; }))
        return false;
    Entry entry;
    entry.name = std::string(name);
    entry.crc = static_cast<std::uint32_t>(
        crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    entry.uncompressedSize = static_cast<std::uint32_t>(data.size());
    std::string deflated = data.empty() ? std::string() : deflateRaw(data);
    if (!deflated.empty() && deflated.size() < data.size()) {
        entry.method = 8;
        entry.payload = std::move(deflated);
    } else {
        entry.method = 0;
        entry.payload = std::string(data);
    }
    entries_.push_back(std::move(entry));
    return true;
}

std::string ZipWriter::finish() const
{
    const auto [date, time] = dosDateTime();
    constexpr std::uint16_t utf8Names = 1U << 11;
    std::string out;
    std::vector<std::uint32_t> offsets;
    for (const Entry& e : entries_) {
        offsets.push_back(static_cast<std::uint32_t>(out.size()));
        put32(out, 0x04034B50);
        put16(out, 20); // version needed: deflate
        put16(out, utf8Names);
        put16(out, e.method);
        put16(out, time);
        put16(out, date);
        put32(out, e.crc);
        put32(out, static_cast<std::uint32_t>(e.payload.size()));
        put32(out, e.uncompressedSize);
        put16(out, static_cast<std::uint32_t>(e.name.size()));
        put16(out, 0);
        out += e.name;
        out += e.payload;
    }
    const auto directoryStart = static_cast<std::uint32_t>(out.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        put32(out, 0x02014B50);
        put16(out, 0x0314); // made by: Unix, zip 2.0
        put16(out, 20);
        put16(out, utf8Names);
        put16(out, e.method);
        put16(out, time);
        put16(out, date);
        put32(out, e.crc);
        put32(out, static_cast<std::uint32_t>(e.payload.size()));
        put32(out, e.uncompressedSize);
        put16(out, static_cast<std::uint32_t>(e.name.size()));
        put16(out, 0); // extra
        put16(out, 0); // comment
        put16(out, 0); // disk
        put16(out, 0); // internal attributes
        put32(out, 0100644U << 16); // external attributes: regular file, rw-r--r--
        put32(out, offsets[i]);
        out += e.name;
    }
    const auto directorySize = static_cast<std::uint32_t>(out.size() - directoryStart);
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(entries_.size()));
    put16(out, static_cast<std::uint32_t>(entries_.size()));
    put32(out, directorySize);
    put32(out, directoryStart);
    put16(out, 0);
    return out;
}

} // namespace vantor
