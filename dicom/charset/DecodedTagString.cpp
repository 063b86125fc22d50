#include "ZVDICOM/CharacterSetDecoder.h"
#include "ZVDICOM/ZQDICOM.h"

CharacterSetDecoder CharacterSetOf(const ZQDICOM& control)
{
    std::string buffer(256, '\0');
    if (!control.GetTagString(0x0008, 0x0005, buffer, 256))
        return {};
    buffer.resize(buffer.find('\0'));
    return CharacterSetDecoder(buffer);
}

std::optional<std::string> DecodedTagString(const ZQDICOM& control, std::int16_t group, std::int16_t element,
                                            std::string_view valueRepresentation)
{
    std::string buffer(256, '\0');
    if (!control.GetTagString(group, element, buffer, 256))
        return std::nullopt;
    buffer.resize(buffer.find('\0'));
    return CharacterSetOf(control).decode(buffer, valueRepresentation);
}
