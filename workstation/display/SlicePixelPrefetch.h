#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ZQDICOM;

namespace vantor {

// Reads the native pixels of a series' slice files on worker threads, ahead
// of the registration that hands them to the engine: file i is read (or
// decoded, when compressed) straight into places[i], the place in the
// engine's volume it takes when no file before it is skipped. The caller
// waits for each file in order.
class SlicePixelPrefetch
{
public:
    // The scale a slice's samples were converted with on the reading thread.
    struct Scale {
        double slope = 1.0;
        double intercept = 0.0;
        bool isSigned = true;
        bool operator==(const Scale&) const = default;
    };
    struct Slice {
        bool ok = false;
        std::size_t frameBytes = 0;
        std::string problem;
        bool converted = false;
        Scale scale;
    };
    // Run on the reading thread after a file is read into its place, while
    // its pixels are still in the cache; the file's header is in `header`.
    using AfterRead = std::function<void(const ZQDICOM& header, std::uint8_t* place, Slice& slice)>;

    // Every place holds `capacity` bytes. Starts `threads` workers.
    SlicePixelPrefetch(std::vector<std::string> paths, std::vector<std::uint8_t*> places, std::size_t capacity,
                       unsigned threads, AfterRead afterRead = {});
    // Waits for the workers (each finishes the file it is reading).
    ~SlicePixelPrefetch();
    SlicePixelPrefetch(const SlicePixelPrefetch&) = delete;
    SlicePixelPrefetch& operator=(const SlicePixelPrefetch&) = delete;

    // File `index` once it has been read.
    const Slice& wait(std::size_t index);

private:
    void work();

    std::vector<std::string> paths_;
    std::vector<std::uint8_t*> places_;
    std::size_t capacity_;
    AfterRead afterRead_;
    std::vector<Slice> slices_;
    std::vector<char> done_;
    std::size_t next_ = 0;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable finished_;
    std::vector<std::thread> workers_;
};

// Asks the kernel, on a thread of its own, to read the files into the page
// cache in list order (posix_fadvise WILLNEED), so that a series coming
// from a cold disc streams at the disc's sequential speed while the files
// are parsed. Stops asking when destroyed.
class SeriesReadAhead
{
public:
    explicit SeriesReadAhead(std::vector<std::string> paths);
    ~SeriesReadAhead();
    SeriesReadAhead(const SeriesReadAhead&) = delete;
    SeriesReadAhead& operator=(const SeriesReadAhead&) = delete;

private:
    std::vector<std::string> paths_;
    std::mutex mutex_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace vantor
