#pragma once

#include <cstdint>

// Tags and lengths that mean the same in every encoding.
namespace ElementTags {

constexpr std::uint16_t kPixelGroup = 0x7FE0;
constexpr std::uint16_t kPixelElement = 0x0010;
constexpr std::uint16_t kItemGroup = 0xFFFE;
constexpr std::uint16_t kItem = 0xE000;
constexpr std::uint16_t kItemDelimitation = 0xE00D;
constexpr std::uint16_t kSequenceDelimitation = 0xE0DD;
constexpr std::uint32_t kUndefinedLength = 0xFFFFFFFFu;
// Deeper nesting than this is not found in real files; a file that claims it
// is not walked further (keeps a crafted file from exhausting the stack).
constexpr int kMaxNesting = 64;

} // namespace ElementTags
