#pragma once

#include "ZVDICOM/CharacterSetDecoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The code tables of the standard's character sets, through the C library's
// iconv. One set of conversion descriptors per thread, opened on first use.
class CodeTableConverter
{
public:
    using Table = CharacterSetDecoder::Table;

    // Appends the UTF-8 of `size` bytes encoded in `table` (an iconv-backed
    // table: the ISO 8859 parts, Thai, EUC-JP/KR/CN, GB18030, GBK). Bytes that
    // do not decode become one U+FFFD per `unitOnError` bytes skipped (at most
    // what is left); an incomplete character at the end becomes one U+FFFD.
    static void append(Table table, const std::uint8_t* bytes, std::size_t size, std::size_t unitOnError,
                       std::string& out);

    // Appends the UTF-8 of one upper-half byte (0x80-0xFF) of a single-byte
    // table (the ISO 8859 parts, Thai), U+FFFD where the table has no
    // character. Read from a table built once per thread through append().
    static void appendUpperHalf(Table table, std::uint8_t byte, std::string& out);
};

// Appends U+FFFD.
inline void appendReplacement(std::string& out) { out += "\xEF\xBF\xBD"; }
