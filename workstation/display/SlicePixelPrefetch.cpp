#include "display/SlicePixelPrefetch.h"

#include <ZVDICOM/ZQDICOM.h>

#include <fcntl.h>
#include <unistd.h>

namespace vantor {

SlicePixelPrefetch::SlicePixelPrefetch(std::vector<std::string> paths, std::vector<std::uint8_t*> places,
                                       std::size_t capacity, unsigned threads, AfterRead afterRead)
    : paths_(std::move(paths)), places_(std::move(places)), capacity_(capacity), afterRead_(std::move(afterRead)),
      slices_(paths_.size()),
      done_(paths_.size(), 0)
{
    places_.resize(paths_.size(), nullptr);
    threads = std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(paths_.size())));
    for (unsigned t = 0; t < threads && !paths_.empty(); ++t)
        workers_.emplace_back([this] { work(); });
}

SlicePixelPrefetch::~SlicePixelPrefetch()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    for (std::thread& worker : workers_)
        worker.join();
}

void SlicePixelPrefetch::work()
{
    // One control per worker: each reads and decodes its own files.
    ZQDICOM file;
    for (;;) {
        std::size_t index = 0;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_ || next_ >= paths_.size())
                return;
            index = next_++;
        }
        Slice slice;
        if (places_[index] == nullptr)
            slice.problem = "no place for the slice";
        else
            slice.ok = file.loadFirstFrameInto(paths_[index], places_[index], capacity_, slice.frameBytes,
                                               slice.problem);
        if (slice.ok && afterRead_)
            afterRead_(file, places_[index], slice);
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            slices_[index] = std::move(slice);
            done_[index] = 1;
        }
        finished_.notify_all();
    }
}

const SlicePixelPrefetch::Slice& SlicePixelPrefetch::wait(std::size_t index)
{
    std::unique_lock<std::mutex> lock(mutex_);
    // Workers take every file in order and always finish it: no time-out is needed.
    finished_.wait(lock, [&] { return done_[index] != 0; });
    return slices_[index];
}

SeriesReadAhead::SeriesReadAhead(std::vector<std::string> paths) : paths_(std::move(paths))
{
    thread_ = std::thread([this] {
        for (const std::string& path : paths_) {
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (stopping_)
                    return;
            }
            const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                continue;
            ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
            ::close(fd);
        }
    });
}

SeriesReadAhead::~SeriesReadAhead()
{
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    thread_.join();
}

} // namespace vantor
