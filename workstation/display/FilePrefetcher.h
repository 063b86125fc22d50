#pragma once

#include <ZVDICOM/ZQDICOM.h>
#include <array>
#include <semaphore>
#include <string>
#include <thread>
#include <vector>

namespace vantor {

// Loads a list of DICOM files in order on a worker thread, one file ahead of
// its consumer, so reading the next file overlaps handing the current one to
// the engine. Two component instances take turns; each file is held until
// the consumer releases it.
class FilePrefetcher {
public:
    explicit FilePrefetcher(const std::vector<std::string>& files);
    ~FilePrefetcher();
    FilePrefetcher(const FilePrefetcher&) = delete;
    FilePrefetcher& operator=(const FilePrefetcher&) = delete;

    // Waits until file index is loaded; files must be taken in order.
    ZQDICOM& acquire(std::size_t index);
    // Hands the instance of file index back for the file after next.
    void release(std::size_t index);

private:
    struct Slot {
        ZQDICOM dicom;
        std::counting_semaphore<4> loaded{0};
        std::counting_semaphore<4> free{1};
    };

    void run();

    const std::vector<std::string>& files_;
    std::array<Slot, 2> slots_;
    std::jthread worker_;
};

} // namespace vantor
