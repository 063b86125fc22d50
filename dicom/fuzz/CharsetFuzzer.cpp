// libFuzzer target for the text decoder: a Specific Character Set value, a VR
// and a text value taken from the input; the result must be well-formed UTF-8.
//
// Input: one byte n, then n bytes of (0008,0005), one byte choosing the VR,
// and the rest as the value.

#include "ZVDICOM/CharacterSetDecoder.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

bool isWellFormedUtf8(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80                     ? 1
                                   : lead >= 0xC2 && lead <= 0xDF ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t setLength = data[0] < size - 1 ? data[0] : size - 1;
    const std::string_view set(reinterpret_cast<const char*>(data + 1), setLength);
    std::size_t offset = 1 + setLength;
    static constexpr const char* kRepresentations[] = {"PN", "LO", "SH", "LT", "ST", "UT", "UC", "CS"};
    const char* vr = kRepresentations[offset < size ? data[offset] % 8 : 0];
    offset = offset < size ? offset + 1 : size;
    // The value is copied so that reading past it is caught by the sanitizer.
    const std::string value(reinterpret_cast<const char*>(data + offset), size - offset);

    const CharacterSetDecoder characterSet(set);
    if (!isWellFormedUtf8(characterSet.decode(value, vr)))
        std::abort();
    if (!isWellFormedUtf8(CharacterSetDecoder().forItem(set).decode(value, vr)))
        std::abort();
    return 0;
}
