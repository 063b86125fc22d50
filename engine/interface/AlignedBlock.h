#pragma once

#include <cstddef>
#include <cstdint>

namespace zvipengine {

// A zero-filled block whose usable start is the first 32-byte boundary inside
// an allocation of 32 bytes more than its length. Move-only.
class AlignedBlock {
public:
    static constexpr std::size_t Alignment = 32;

    AlignedBlock() = default;
    ~AlignedBlock();
    AlignedBlock(AlignedBlock&& other) noexcept;
    AlignedBlock& operator=(AlignedBlock&& other) noexcept;
    AlignedBlock(const AlignedBlock&) = delete;
    AlignedBlock& operator=(const AlignedBlock&) = delete;

    // Frees the old block first; false (and empty) when memory is short.
    bool allocate(std::size_t bytes);
    void release();

    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }

private:
    void* allocation_ = nullptr;
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

} // namespace zvipengine
