#pragma once

#include "ZVDICOM/ZQDICOM.h"

#include <cstdint>
#include <optional>
#include <string>

// Small wrappers that read the control the way its hosts do.
inline std::int16_t tag16(std::uint16_t number) { return static_cast<std::int16_t>(number); }

inline std::optional<std::string> tagText(const ZQDICOM& control, std::uint16_t group, std::uint16_t element)
{
    std::string buffer(256, '\0');
    if (!control.GetTagString(tag16(group), tag16(element), buffer, 256))
        return std::nullopt;
    return buffer.substr(0, buffer.find('\0'));
}

inline std::optional<std::int32_t> tagSize(const ZQDICOM& control, std::uint16_t group, std::uint16_t element)
{
    std::int32_t size = -1;
    if (!control.GetTagSize(tag16(group), tag16(element), size))
        return std::nullopt;
    return size;
}

inline std::optional<std::int32_t> tagLong(const ZQDICOM& control, std::uint16_t group, std::uint16_t element)
{
    std::int32_t value = 0;
    if (!control.GetTagLong(tag16(group), tag16(element), value))
        return std::nullopt;
    return value;
}

inline std::optional<std::int16_t> tagShort(const ZQDICOM& control, std::uint16_t group, std::uint16_t element)
{
    std::int16_t value = 0;
    if (!control.GetTagShort(tag16(group), tag16(element), value))
        return std::nullopt;
    return value;
}

// The raw value bytes at a position (short length), as GetTagFromIndex gives them.
inline std::string rawValueAt(const ZQDICOM& control, std::int32_t index, std::uint16_t* group = nullptr,
                              std::uint16_t* element = nullptr)
{
    std::string buffer(70000, '\x7f');
    std::int16_t g = 0;
    std::int16_t e = 0;
    if (!control.GetTagFromIndex(index, g, e, buffer, 70000))
        return "<none>";
    if (group)
        *group = static_cast<std::uint16_t>(g);
    if (element)
        *element = static_cast<std::uint16_t>(e);
    const std::size_t mark = buffer.find('\r');
    return buffer.substr(0, mark - 1);
}

// The raw value bytes of the first record with this tag, found by position.
inline std::optional<std::string> rawValueOf(const ZQDICOM& control, std::uint16_t group, std::uint16_t element)
{
    for (std::int32_t i = 1; i <= control.GetNumOfTag(); ++i) {
        std::uint16_t g = 0;
        std::uint16_t e = 0;
        std::string bytes = rawValueAt(control, i, &g, &e);
        if (g == group && e == element)
            return bytes;
    }
    return std::nullopt;
}
