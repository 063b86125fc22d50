#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Little-endian loads and stores on unaligned bytes, and in-place unit swaps.
namespace ByteOrder {

inline std::uint16_t load16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

inline std::uint32_t load32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

inline void store16(std::uint8_t* bytes, std::uint16_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void store32(std::uint8_t* bytes, std::uint32_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
    bytes[2] = static_cast<std::uint8_t>(value >> 16);
    bytes[3] = static_cast<std::uint8_t>(value >> 24);
}

inline std::uint16_t swap16(std::uint16_t value) { return static_cast<std::uint16_t>((value >> 8) | (value << 8)); }
inline std::uint32_t swap32(std::uint32_t value) { return __builtin_bswap32(value); }

// Reverses each unit of unitSize bytes (2, 4 or 8) in place; a trailing
// partial unit is left as it is.
inline void swapUnits(std::uint8_t* bytes, std::size_t length, std::size_t unitSize)
{
    if (unitSize < 2)
        return;  // text and byte values (unit 0 or 1) keep their order
    const std::size_t units = length / unitSize;
    switch (unitSize) {
    case 2:
        for (std::size_t i = 0; i < units; ++i) {
            std::uint16_t v;
            std::memcpy(&v, bytes + 2 * i, 2);
            v = __builtin_bswap16(v);
            std::memcpy(bytes + 2 * i, &v, 2);
        }
        break;
    case 4:
        for (std::size_t i = 0; i < units; ++i) {
            std::uint32_t v;
            std::memcpy(&v, bytes + 4 * i, 4);
            v = __builtin_bswap32(v);
            std::memcpy(bytes + 4 * i, &v, 4);
        }
        break;
    case 8:
        for (std::size_t i = 0; i < units; ++i) {
            std::uint64_t v;
            std::memcpy(&v, bytes + 8 * i, 8);
            v = __builtin_bswap64(v);
            std::memcpy(bytes + 8 * i, &v, 8);
        }
        break;
    default:
        break;
    }
}

} // namespace ByteOrder
