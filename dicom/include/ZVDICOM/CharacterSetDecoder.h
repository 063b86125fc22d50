#pragma once

// Text values to UTF-8 by the character set that (0008,0005) Specific
// Character Set names. The control's published members keep returning the
// stored bytes; hosts decode what they show or write with this.
//
// Decoding never fails and never reads past the value: what the named sets
// cannot decode becomes U+FFFD, and unknown set names act as the default
// repertoire. Code extensions (ISO 2022 escape sequences) are followed, and
// the code elements return to those of the first set at each control
// character, at "\" between values, and at "^" and "=" in person names.
//
// An instance is cheap to copy and may be used from several threads at once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class ZQDICOM;

class CharacterSetDecoder
{
public:
    // A code table of the standard's character sets, in the form the decoder uses.
    enum class Table : std::uint8_t {
        None,       // no set in this code element
        Ascii,      // ISO 646 (ISO-IR 6)
        JisRoman,   // JIS X 0201 Romaji (ISO-IR 14)
        Katakana,   // JIS X 0201 Katakana (ISO-IR 13)
        JisX0208,   // ISO-IR 87 (two bytes)
        JisX0212,   // ISO-IR 159 (two bytes)
        KsX1001,    // ISO-IR 149 (two bytes, upper half)
        Gb2312,     // ISO-IR 58 (two bytes, upper half)
        Latin1,     // ISO-IR 100 ... upper halves of the ISO 8859 parts
        Latin2,     // ISO-IR 101
        Latin3,     // ISO-IR 109
        Latin4,     // ISO-IR 110
        Cyrillic,   // ISO-IR 144
        Arabic,     // ISO-IR 127
        Greek,      // ISO-IR 126
        Hebrew,     // ISO-IR 138
        Latin5,     // ISO-IR 148
        Latin9,     // ISO-IR 203
        Thai,       // ISO-IR 166
        Utf8,       // ISO_IR 192, without code extensions
        Gb18030,    // GB18030, without code extensions
        Gbk,        // GBK, without code extensions
    };

    // The default repertoire.
    CharacterSetDecoder() = default;
    // From the stored value of (0008,0005): terms separated by "\", padding
    // ignored; an empty first term is the default repertoire.
    explicit CharacterSetDecoder(std::string_view storedValue);

    // The set in force inside a sequence item: the item's own (0008,0005)
    // when it has one, otherwise this one.
    CharacterSetDecoder forItem(std::optional<std::string_view> itemStoredValue) const;

    // The value's bytes as UTF-8. valueRepresentation is the two-letter VR:
    // it tells the delimiters at which code elements return to their first
    // state ("PN": "^" and "="; every VR but "LT", "ST", "UT": "\"). Values of
    // VRs other than SH, LO, ST, LT, UT, UC and PN use the default repertoire
    // only and are decoded as such.
    std::string decode(std::string_view value, std::string_view valueRepresentation) const;

    // True for the VRs whose values the character set governs (SH, LO, ST,
    // LT, UT, UC, PN); the others hold the default repertoire or binary data.
    static bool governs(std::string_view valueRepresentation);

    // True when every term was recognised.
    bool isRecognised() const { return recognised_; }

private:
    struct CodeElements
    {
        Table g0 = Table::Ascii;
        Table g1 = Table::None;
    };

    std::string decodeWithExtensions(std::string_view value, std::string_view valueRepresentation,
                                     const CodeElements& initial) const;

    CodeElements initial_;
    Table standAlone_ = Table::None; // a set used without code extensions
    bool recognised_ = true;
};

// A value of the control's current data set decoded by the data set's
// Specific Character Set (at most the first 255 bytes, as GetTagString reads
// it, cut at the first NUL). Nullopt when the element does not exist.
std::optional<std::string> DecodedTagString(const ZQDICOM& control, std::int16_t group, std::int16_t element,
                                            std::string_view valueRepresentation);
// The data set's Specific Character Set (the default repertoire when absent).
CharacterSetDecoder CharacterSetOf(const ZQDICOM& control);
