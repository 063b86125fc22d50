#include "AlignedBlock.h"

#include <cstdlib>
#include <utility>

namespace zvipengine {

AlignedBlock::~AlignedBlock()
{
    release();
}

AlignedBlock::AlignedBlock(AlignedBlock&& other) noexcept
    : allocation_(std::exchange(other.allocation_, nullptr)), data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0))
{
}

AlignedBlock& AlignedBlock::operator=(AlignedBlock&& other) noexcept
{
    if (this != &other) {
        release();
        allocation_ = std::exchange(other.allocation_, nullptr);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

bool AlignedBlock::allocate(std::size_t bytes)
{
    release();
    if (bytes > static_cast<std::size_t>(-1) - Alignment)
        return false;
    // calloc: large blocks come as zero pages from the system, so clearing
    // costs nothing and no caller ever sees stale memory.
    allocation_ = std::calloc(bytes + Alignment, 1);
    if (allocation_ == nullptr)
        return false;
    const auto address = reinterpret_cast<std::uintptr_t>(allocation_);
    data_ = reinterpret_cast<std::uint8_t*>((address + Alignment - 1) & ~(std::uintptr_t{Alignment} - 1));
    size_ = bytes;
    return true;
}

void AlignedBlock::release()
{
    std::free(allocation_);
    allocation_ = nullptr;
    data_ = nullptr;
    size_ = 0;
}

} // namespace zvipengine
