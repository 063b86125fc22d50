#include "BufferTable.h"

#include <climits>

namespace zvipengine {

BufferTable::Result BufferTable::allocate(std::int32_t id, std::int64_t bytes, std::uint8_t*& address)
{
    address = nullptr;
    if (!validId(id) || bytes <= 0 || bytes > INT32_MAX)
        return Result::InvalidArgument;
    AlignedBlock& slot = slots_[static_cast<std::size_t>(id)];
    if (!slot.allocate(static_cast<std::size_t>(bytes)))
        return Result::NoMemory;
    address = slot.data();
    return Result::Done;
}

bool BufferTable::release(std::int32_t id)
{
    if (!validId(id))
        return false;
    slots_[static_cast<std::size_t>(id)].release();
    return true;
}

void BufferTable::releaseAll()
{
    for (AlignedBlock& slot : slots_)
        slot.release();
}

} // namespace zvipengine
