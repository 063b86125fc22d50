#include "display/FilePrefetcher.h"

namespace vantor {

FilePrefetcher::FilePrefetcher(const std::vector<std::string>& files) : files_(files)
{
    worker_ = std::jthread([this] { run(); });
}

FilePrefetcher::~FilePrefetcher()
{
    // The worker may be waiting for a slot the consumer never released.
    worker_.request_stop();
    for (auto& slot : slots_)
        slot.free.release();
    worker_.join();
}

void FilePrefetcher::run()
{
    for (std::size_t index = 0; index < files_.size(); ++index) {
        Slot& slot = slots_[index % 2];
        slot.free.acquire();
        if (worker_.get_stop_token().stop_requested())
            return;
        slot.dicom.setfilename(files_[index]);
        slot.loaded.release();
    }
}

ZQDICOM& FilePrefetcher::acquire(std::size_t index)
{
    Slot& slot = slots_[index % 2];
    slot.loaded.acquire();
    return slot.dicom;
}

void FilePrefetcher::release(std::size_t index) { slots_[index % 2].free.release(); }

} // namespace vantor
