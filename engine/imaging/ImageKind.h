#pragma once

#include <cstdint>

namespace zvipengine {

// ColorMode of the image methods: 0 grey (16-bit samples), 1 colour (three
// byte planes, one after the other).
enum class ImageKind { Grey, Colour, Other };

inline ImageKind imageKindOf(std::int32_t colorMode)
{
    return colorMode == 0 ? ImageKind::Grey : (colorMode == 1 ? ImageKind::Colour : ImageKind::Other);
}

} // namespace zvipengine
