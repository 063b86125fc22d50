#include "ZVDICOM/CharacterSetDecoder.h"

#include "CodeTableConverter.h"

#include <array>
#include <cctype>

namespace {

using Table = CharacterSetDecoder::Table;

constexpr std::uint8_t kEscape = 0x1B;

bool isTwoByteG0(Table table) { return table == Table::JisX0208 || table == Table::JisX0212; }

// Upper-cased, with the separators that writers mix up (" ", "_", "-") removed:
// "ISO_IR 100", "ISO IR 100" and "ISO-IR 100" all become "ISOIR100".
std::string normalisedTerm(std::string_view term)
{
    std::string normal;
    for (const char c : term) {
        if (c == ' ' || c == '_' || c == '-' || c == '\0')
            continue;
        normal += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return normal;
}

struct Designation
{
    bool known = false;
    Table g0 = Table::None; // None: G0 not designated by this set
    Table g1 = Table::None;
    Table standAlone = Table::None;
};

Designation designationOfNumber(std::string_view number)
{
    struct Entry
    {
        std::string_view number;
        Table g0;
        Table g1;
    };
    static constexpr std::array<Entry, 17> kEntries{{
        {"6", Table::Ascii, Table::None},
        {"100", Table::None, Table::Latin1},
        {"101", Table::None, Table::Latin2},
        {"109", Table::None, Table::Latin3},
        {"110", Table::None, Table::Latin4},
        {"144", Table::None, Table::Cyrillic},
        {"127", Table::None, Table::Arabic},
        {"126", Table::None, Table::Greek},
        {"138", Table::None, Table::Hebrew},
        {"148", Table::None, Table::Latin5},
        {"203", Table::None, Table::Latin9},
        {"166", Table::None, Table::Thai},
        {"13", Table::JisRoman, Table::Katakana},
        {"87", Table::JisX0208, Table::None},
        {"159", Table::JisX0212, Table::None},
        {"149", Table::None, Table::KsX1001},
        {"58", Table::None, Table::Gb2312},
    }};
    for (const Entry& entry : kEntries)
        if (entry.number == number)
            return {true, entry.g0, entry.g1, Table::None};
    return {};
}

Designation designationOfTerm(const std::string& normal)
{
    if (normal.empty())
        return {true, Table::Ascii, Table::None, Table::None};
    if (normal == "ISOIR192")
        return {true, Table::None, Table::None, Table::Utf8};
    if (normal == "GB18030")
        return {true, Table::None, Table::None, Table::Gb18030};
    if (normal == "GBK")
        return {true, Table::None, Table::None, Table::Gbk};
    const std::string_view text(normal);
    for (const std::string_view prefix : {std::string_view("ISO2022IR"), std::string_view("ISOIR")})
        if (text.substr(0, prefix.size()) == prefix)
            return designationOfNumber(text.substr(prefix.size()));
    return {};
}

// What an escape sequence (the bytes after ESC, final byte included) designates.
bool applyEscape(std::string_view sequence, Table& g0, Table& g1)
{
    struct Entry
    {
        std::string_view sequence;
        bool isG0;
        Table table;
    };
    static constexpr std::array<Entry, 19> kEntries{{
        {"(B", true, Table::Ascii},
        {"(J", true, Table::JisRoman},
        {")I", false, Table::Katakana},
        {"$B", true, Table::JisX0208},
        {"$@", true, Table::JisX0208}, // the 1978 edition, read with the current table
        {"$(D", true, Table::JisX0212},
        {"$)C", false, Table::KsX1001},
        {"$)A", false, Table::Gb2312},
        {"-A", false, Table::Latin1},
        {"-B", false, Table::Latin2},
        {"-C", false, Table::Latin3},
        {"-D", false, Table::Latin4},
        {"-L", false, Table::Cyrillic},
        {"-G", false, Table::Arabic},
        {"-F", false, Table::Greek},
        {"-H", false, Table::Hebrew},
        {"-M", false, Table::Latin5},
        {"-b", false, Table::Latin9},
        {"-T", false, Table::Thai},
    }};
    for (const Entry& entry : kEntries) {
        if (entry.sequence != sequence)
            continue;
        (entry.isG0 ? g0 : g1) = entry.table;
        return true;
    }
    return false;
}

void appendCodePoint(std::uint32_t codePoint, std::string& out)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// Appends the UTF-8 character at p when it is well-formed (overlong forms,
// surrogates and code points beyond U+10FFFF are not), else one U+FFFD for
// the longest start of a character found there; returns the bytes consumed.
std::size_t appendUtf8Character(const std::uint8_t* p, std::size_t left, std::string& out)
{
    const std::uint8_t lead = p[0];
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead < 0x80) {
        out += static_cast<char>(lead);
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        appendReplacement(out);
        return 1;
    }
    std::size_t taken = 1;
    while (taken < length && taken < left) {
        const std::uint8_t next = p[taken];
        if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF))
            break;
        ++taken;
    }
    if (taken < length)
        appendReplacement(out);
    else
        out.append(reinterpret_cast<const char*>(p), length);
    return taken;
}

} // namespace

CharacterSetDecoder::CharacterSetDecoder(std::string_view storedValue)
{
    std::size_t start = 0;
    bool first = true;
    while (start <= storedValue.size()) {
        std::size_t end = storedValue.find('\\', start);
        if (end == std::string_view::npos)
            end = storedValue.size();
        const Designation designation = designationOfTerm(normalisedTerm(storedValue.substr(start, end - start)));
        if (!designation.known)
            recognised_ = false;
        if (first && designation.known) {
            standAlone_ = designation.standAlone;
            if (designation.g1 != Table::None)
                initial_.g1 = designation.g1;
            // Only the single-byte G0 sets are in force before any escape
            // sequence; the two-byte ones need their escape.
            if (designation.g0 == Table::JisRoman)
                initial_.g0 = Table::JisRoman;
        }
        // Later terms only name the sets that escape sequences may designate;
        // the decoder knows every standard escape sequence.
        first = false;
        start = end + 1;
    }
}

bool CharacterSetDecoder::governs(std::string_view vr)
{
    return vr == "PN" || vr == "SH" || vr == "LO" || vr == "ST" || vr == "LT" || vr == "UT" || vr == "UC";
}

CharacterSetDecoder CharacterSetDecoder::forItem(std::optional<std::string_view> itemStoredValue) const
{
    return itemStoredValue ? CharacterSetDecoder(*itemStoredValue) : *this;
}

std::string CharacterSetDecoder::decode(std::string_view value, std::string_view valueRepresentation) const
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data());
    const bool bySet = governs(valueRepresentation);
    const Table standAlone = bySet ? standAlone_ : Table::None;

    bool plain = true;
    for (std::size_t i = 0; i < value.size() && plain; ++i)
        plain = bytes[i] < 0x80 && bytes[i] != kEscape;
    if (plain)
        return std::string(value);

    if (standAlone == Table::Gb18030 || standAlone == Table::Gbk) {
        std::string out;
        out.reserve(value.size() * 2);
        CodeTableConverter::append(standAlone, bytes, value.size(), 1, out);
        return out;
    }
    if (standAlone == Table::Utf8) {
        std::string out;
        out.reserve(value.size());
        for (std::size_t i = 0; i < value.size();)
            i += appendUtf8Character(bytes + i, value.size() - i, out);
        return out;
    }
    return decodeWithExtensions(value, valueRepresentation, bySet ? initial_ : CodeElements{});
}

std::string CharacterSetDecoder::decodeWithExtensions(std::string_view value, std::string_view valueRepresentation,
                                                       const CodeElements& initial) const
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data());
    const std::size_t size = value.size();
    const bool personName = valueRepresentation == "PN";
    const bool backslashSeparates = valueRepresentation != "LT" && valueRepresentation != "ST" &&
                                    valueRepresentation != "UT";
    std::string out;
    out.reserve(size * 2);
    CodeElements state = initial;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t byte = bytes[i];
        if (byte == kEscape) {
            // ESC, intermediate bytes 0x20-0x2F, one final byte 0x30-0x7E.
            std::size_t end = i + 1;
            while (end < size && bytes[end] >= 0x20 && bytes[end] <= 0x2F)
                ++end;
            if (end < size && bytes[end] >= 0x30 && bytes[end] <= 0x7E) {
                ++end;
                if (!applyEscape(value.substr(i + 1, end - i - 1), state.g0, state.g1))
                    appendReplacement(out);
            } else {
                appendReplacement(out);
            }
            i = end;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F) {
            // Line ends, tabs and every other control return to the first set.
            state = initial;
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        if (byte < 0x80) {
            if (isTwoByteG0(state.g0) && byte != 0x20) {
                if (i + 1 < size && bytes[i + 1] >= 0x21 && bytes[i + 1] <= 0x7E) {
                    std::array<std::uint8_t, 3> euc{0x8F, static_cast<std::uint8_t>(byte | 0x80),
                                                    static_cast<std::uint8_t>(bytes[i + 1] | 0x80)};
                    const bool supplementary = state.g0 == Table::JisX0212;
                    CodeTableConverter::append(state.g0, euc.data() + (supplementary ? 0 : 1), supplementary ? 3 : 2,
                                               3, out);
                    i += 2;
                } else {
                    appendReplacement(out);
                    ++i;
                }
                continue;
            }
            if ((byte == '\\' && backslashSeparates) || (personName && (byte == '^' || byte == '=')))
                state = initial;
            // JIS X 0201 Romaji differs from ASCII only in two glyphs (yen and
            // overline at 5/12 and 7/14); 5/12 stays the value separator.
            out += static_cast<char>(byte);
            ++i;
            continue;
        }
        switch (state.g1) {
        case Table::None:
            // Not in the declared sets; UTF-8 written without declaring it is common.
            i += appendUtf8Character(bytes + i, size - i, out);
            break;
        case Table::Katakana:
            if (byte >= 0xA1 && byte <= 0xDF)
                appendCodePoint(0xFF61u + (byte - 0xA1u), out);
            else
                appendReplacement(out);
            ++i;
            break;
        case Table::KsX1001:
        case Table::Gb2312:
            if (i + 1 < size && byte >= 0xA1 && byte <= 0xFE && bytes[i + 1] >= 0xA1 && bytes[i + 1] <= 0xFE) {
                CodeTableConverter::append(state.g1, bytes + i, 2, 2, out);
                i += 2;
            } else {
                appendReplacement(out);
                ++i;
            }
            break;
        default:
            CodeTableConverter::appendUpperHalf(state.g1, byte, out);
            ++i;
            break;
        }
    }
    return out;
}
