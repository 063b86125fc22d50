#pragma once

#include <cstdint>

namespace zvipengine {

// Byte-order helpers for the file and bitmap headers, which are little-endian
// whatever the host.
inline void storeLittleEndian32(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

inline void storeLittleEndian16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline std::int32_t loadLittleEndian32(const std::uint8_t* at)
{
    return static_cast<std::int32_t>(std::uint32_t{at[0]} | (std::uint32_t{at[1]} << 8) |
                                     (std::uint32_t{at[2]} << 16) | (std::uint32_t{at[3]} << 24));
}

} // namespace zvipengine
