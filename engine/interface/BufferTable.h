#pragma once

#include "AlignedBlock.h"

#include <array>
#include <cstdint>

namespace zvipengine {

// The engine's 100 numbered output buffers. A block's address stays valid
// until its slot is reused or released or the table is cleared.
class BufferTable {
public:
    static constexpr std::int32_t SlotCount = 100;

    enum class Result { Done, InvalidArgument, NoMemory };

    static bool validId(std::int32_t id) { return id >= 0 && id < SlotCount; }
    // Frees the slot's old block, then allocates a zero-filled one of `bytes`
    // (which must be positive and fit the published 32-bit length).
    Result allocate(std::int32_t id, std::int64_t bytes, std::uint8_t*& address);
    bool release(std::int32_t id);
    void releaseAll();
    std::uint8_t* address(std::int32_t id) const { return slots_[static_cast<std::size_t>(id)].data(); }
    std::int32_t length(std::int32_t id) const
    {
        return static_cast<std::int32_t>(slots_[static_cast<std::size_t>(id)].size());
    }

private:
    std::array<AlignedBlock, SlotCount> slots_;
};

} // namespace zvipengine
