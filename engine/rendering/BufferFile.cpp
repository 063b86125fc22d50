#include "BufferFile.h"

#include "../imaging/LittleEndian.h"

#include <atomic>
#include <chrono>
#include <climits>
#include <filesystem>
#include <system_error>

namespace zvipengine {

namespace {

std::string temporaryNameFor(const std::string& path)
{
    static std::atomic<std::uint64_t> counter{0};
    const std::filesystem::path target(path);
    const auto stamp = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string name(1, '.');
    name.append(target.filename().string());
    name.append(".tmp");
    name.append(std::to_string(stamp));
    name.push_back('-');
    name.append(std::to_string(counter.fetch_add(1)));
    return (target.parent_path() / name).string();
}

} // namespace

bool BufferFile::save(const std::string& path, const BufferFileHeader& header, const std::uint8_t* data)
{
    if (path.empty() || header.dataLength <= 0 || data == nullptr)
        return false;
    std::uint8_t bytes[HeaderBytes] = {};
    storeLittleEndian32(bytes, static_cast<std::uint32_t>(header.dataLength));
    storeLittleEndian32(bytes + 4, static_cast<std::uint32_t>(header.elementSize));
    for (int k = 0; k < 3; ++k)
        storeLittleEndian32(bytes + 8 + 4 * k, static_cast<std::uint32_t>(header.dims[k]));
    storeLittleEndian32(bytes + 20, static_cast<std::uint32_t>(header.offsetFlag));
    storeLittleEndian32(bytes + 24, static_cast<std::uint32_t>(header.colorMode));

    const std::string temporary = temporaryNameFor(path);
    // "x": never write into a file that someone else made under that name.
    std::FILE* file = std::fopen(temporary.c_str(), "wbx");
    if (file == nullptr)
        return false;
    bool written = std::fwrite(bytes, 1, HeaderBytes, file) == HeaderBytes &&
                   std::fwrite(data, 1, static_cast<std::size_t>(header.dataLength), file) ==
                       static_cast<std::size_t>(header.dataLength);
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    std::error_code error;
    if (written)
        std::filesystem::rename(temporary, path, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

BufferFile::Reader::~Reader()
{
    if (file_ != nullptr)
        std::fclose(file_);
}

bool BufferFile::Reader::open(const std::string& path)
{
    std::error_code error;
    if (path.empty() || !std::filesystem::is_regular_file(path, error))
        return false;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size < static_cast<std::uintmax_t>(HeaderBytes))
        return false;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        return false;
    std::uint8_t bytes[HeaderBytes];
    if (std::fread(bytes, 1, HeaderBytes, file_) != static_cast<std::size_t>(HeaderBytes))
        return false;
    BufferFileHeader h;
    h.dataLength = loadLittleEndian32(bytes);
    h.elementSize = loadLittleEndian32(bytes + 4);
    for (int k = 0; k < 3; ++k)
        h.dims[k] = loadLittleEndian32(bytes + 8 + 4 * k);
    h.offsetFlag = loadLittleEndian32(bytes + 20);
    h.colorMode = loadLittleEndian32(bytes + 24);
    if (h.elementSize <= 0)
        h.elementSize = 1;
    if (h.dataLength <= 0 || h.dims[0] < 1 || h.dims[1] < 1 || h.dims[2] < 1)
        return false;
    // Multiplied step by step: a partial product never passes 2^62 before
    // it is checked against the 31-bit length it must equal.
    std::int64_t expected = h.elementSize;
    for (int k = 0; k < 3; ++k) {
        expected *= h.dims[k];
        if (expected > INT32_MAX)
            return false;
    }
    if (expected != h.dataLength)
        return false;
    if (static_cast<std::uintmax_t>(h.dataLength) > size - HeaderBytes)
        return false;
    header_ = h;
    return true;
}

bool BufferFile::Reader::readData(std::uint8_t* into)
{
    if (file_ == nullptr || into == nullptr || header_.dataLength <= 0)
        return false;
    return std::fread(into, 1, static_cast<std::size_t>(header_.dataLength), file_) ==
           static_cast<std::size_t>(header_.dataLength);
}

} // namespace zvipengine
