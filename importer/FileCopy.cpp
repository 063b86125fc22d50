#include "VantorImporter/FileCopy.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantor::importing {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    // Closing reports late write errors (NFS, quotas).
    std::error_code close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0 ? std::error_code{} : lastError();
    }

private:
    int fd_;
};

// read/write fallback from the current offsets; errors tell which side failed.
WriteOutcome copyByReading(int source, int target, off_t remaining)
{
    std::vector<char> buffer(1 << 20);
    while (remaining > 0) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {lastError(), true};
        if (got == 0)
            return {std::make_error_code(std::errc::io_error), true}; // shorter than its size said
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(target, buffer.data() + written, static_cast<std::size_t>(got - written));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return {put < 0 ? lastError() : std::make_error_code(std::errc::no_space_on_device), false};
            written += put;
        }
        remaining -= got;
    }
    return {};
}

} // namespace

WriteOutcome copyFileContents(const std::string& sourcePath, const std::string& targetPath)
{
    Descriptor source(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.get() < 0)
        return {lastError(), true};
    struct stat status {};
    if (::fstat(source.get(), &status) != 0)
        return {lastError(), true};
    if (!S_ISREG(status.st_mode))
        return {std::make_error_code(std::errc::not_supported), true};
    Descriptor target(::open(targetPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (target.get() < 0)
        return {lastError(), false};
    off_t remaining = status.st_size;
    while (remaining > 0) {
        const ssize_t copied = ::copy_file_range(source.get(), nullptr, target.get(), nullptr,
                                                 static_cast<std::size_t>(remaining), 0);
        if (copied > 0) {
            remaining -= copied;
            continue;
        }
        if (copied < 0 && errno == EINTR)
            continue;
        if (copied < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG))
            return {lastError(), false};
        // Not offered between these file systems (or an error that the plain
        // copy will name with its side): go on by reading and writing.
        WriteOutcome outcome = copyByReading(source.get(), target.get(), remaining);
        if (outcome.error)
            return outcome;
        remaining = 0;
    }
    if (std::error_code closed = target.close())
        return {closed, false};
    return {};
}

std::error_code renameWithoutReplacing(const std::string& temporaryPath, const std::string& finalPath)
{
    if (::renameat2(AT_FDCWD, temporaryPath.c_str(), AT_FDCWD, finalPath.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    if (errno != EINVAL && errno != ENOSYS)
        return lastError();
    // A file system without the no-replace flag: a link cannot replace either.
    if (::link(temporaryPath.c_str(), finalPath.c_str()) == 0) {
        ::unlink(temporaryPath.c_str());
        return {};
    }
    if (errno == EEXIST)
        return lastError();
    // Neither (FAT, some network shares): the name was checked free before.
    struct stat existing {};
    if (::stat(finalPath.c_str(), &existing) == 0)
        return std::make_error_code(std::errc::file_exists);
    return std::rename(temporaryPath.c_str(), finalPath.c_str()) == 0 ? std::error_code{} : lastError();
}

} // namespace vantor::importing
