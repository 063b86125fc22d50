#include "ElementStreamWriter.h"

#include "ByteOrder.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class StreamOutput
{
public:
    explicit StreamOutput(int fd) : fd_(fd) { pending_.reserve(kFlushSize); }

    bool append(const std::uint8_t* bytes, std::size_t size)
    {
        if (size >= kFlushSize) // large values (pixel data) go straight out
            return flush() && writeAll(bytes, size);
        if (pending_.size() + size > kFlushSize && !flush())
            return false;
        pending_.insert(pending_.end(), bytes, bytes + size);
        return true;
    }

    bool appendZeros(std::size_t size)
    {
        static const std::uint8_t kZeros[4096] = {};
        while (size > 0) {
            const std::size_t n = std::min(size, sizeof(kZeros));
            if (!append(kZeros, n))
                return false;
            size -= n;
        }
        return true;
    }

    bool flush()
    {
        const bool ok = writeAll(pending_.data(), pending_.size());
        pending_.clear();
        return ok;
    }

private:
    static constexpr std::size_t kFlushSize = 64 * 1024;

    bool writeAll(const std::uint8_t* bytes, std::size_t size)
    {
        while (size > 0) {
            const ssize_t written = ::write(fd_, bytes, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
                return false;
            bytes += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    int fd_;
    std::vector<std::uint8_t> pending_;
};

} // namespace

bool ElementStreamWriter::write(const ElementStore& store, const std::string& path)
{
    if (path.empty())
        return false;
    // A unique name beside the target; the mode follows the process umask as
    // for any new file.
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = path + ".saving." + std::to_string(::getpid()) + "." + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    {
        StreamOutput out(fd);
        for (const ElementRecord& record : store.records()) {
            if (record.isEndRecord || record.group == 0x0002)
                continue;
            std::uint8_t header[8];
            ByteOrder::store16(header, record.group);
            ByteOrder::store16(header + 2, record.element);
            ByteOrder::store32(header + 4, record.valueLength);
            if (!out.append(header, sizeof(header))) {
                ok = false;
                break;
            }
            const bool written = record.hasValue() ? out.append(record.value(), record.valueLength)
                                                   : out.appendZeros(record.valueLength);
            if (!written) {
                ok = false;
                break;
            }
        }
        ok = ok && out.flush();
    }
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0)
        ok = false;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}
