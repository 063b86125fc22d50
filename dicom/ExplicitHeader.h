#pragma once

#include <cstddef>
#include <cstdint>

// How an explicit-VR element header is laid out: the VR's two letters decide
// between the short form (16-bit length) and the long form (2 reserved bytes,
// then a 32-bit length).
namespace ExplicitHeader {

inline bool isUpperLetter(std::uint8_t c) { return c >= 'A' && c <= 'Z'; }

// Whether the two bytes after a tag are a VR (both upper-case letters).
inline bool hasVr(const std::uint8_t* vr) { return isUpperLetter(vr[0]) && isUpperLetter(vr[1]); }

inline bool isVr(const std::uint8_t* vr, char first, char second) { return vr[0] == first && vr[1] == second; }

// Explicit VRs whose header carries 2 reserved bytes and a 4-byte length.
inline bool isLongForm(const std::uint8_t* vr, std::uint16_t shortField)
{
    if (vr[0] == 'O' || isVr(vr, 'S', 'Q'))
        return true;
    if (vr[1] == 'N' && vr[0] != 'P' && shortField == 0)
        return true;
    // Text and 64-bit VRs added to the standard later use the long header too;
    // read as short they would desynchronise the rest of the file.
    if (shortField == 0 &&
        (isVr(vr, 'U', 'T') || isVr(vr, 'U', 'C') || isVr(vr, 'U', 'R') || isVr(vr, 'U', 'V') || isVr(vr, 'S', 'V')))
        return true;
    return false;
}

// Byte unit to reverse when a short-form value comes from a big-endian data set.
inline std::size_t shortFormSwapUnit(const std::uint8_t* vr)
{
    if (isVr(vr, 'F', 'D'))
        return 8;
    if (isVr(vr, 'F', 'L') || isVr(vr, 'S', 'L') || isVr(vr, 'U', 'L'))
        return 4;
    if (isVr(vr, 'S', 'S') || isVr(vr, 'U', 'S') || isVr(vr, 'A', 'T'))
        return 2;
    return 0;
}

// The same for long-form values: words are swapped, byte and text values not.
inline std::size_t longFormSwapUnit(const std::uint8_t* vr)
{
    if (isVr(vr, 'O', 'W'))
        return 2;
    if (isVr(vr, 'O', 'F') || isVr(vr, 'O', 'L'))
        return 4;
    if (isVr(vr, 'O', 'D') || isVr(vr, 'O', 'V') || isVr(vr, 'S', 'V') || isVr(vr, 'U', 'V'))
        return 8;
    return 0;
}

} // namespace ExplicitHeader
