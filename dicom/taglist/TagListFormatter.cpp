#include "TagListFormatter.h"

#include "ZVDICOM/CharacterSetDecoder.h"
#include "ZVDICOM/ZQDICOM.h"

#include <cstdio>

namespace {

constexpr std::int32_t kBufferCharacters = 128;
constexpr std::size_t kValueColumn = 42; // values start in column 43
constexpr std::size_t kNameWidth = 30;

std::string tagText(std::int16_t group, std::int16_t element)
{
    char text[16];
    std::snprintf(text, sizeof(text), "(%04X,%04X) ", static_cast<unsigned>(static_cast<std::uint16_t>(group)),
                  static_cast<unsigned>(static_cast<std::uint16_t>(element)));
    return text;
}

} // namespace

std::vector<std::string> TagListFormatter::lines(const ZQDICOM& control, TextForm form) const
{
    std::vector<std::string> result;
    const CharacterSetDecoder characterSet =
        form == TextForm::Decoded ? CharacterSetOf(control) : CharacterSetDecoder();
    const std::int32_t count = control.GetNumOfTag();
    for (std::int32_t index = 1; index <= count - 1; ++index) {
        std::string buffer(kBufferCharacters, '\0');
        std::int16_t group = 0;
        std::int16_t element = 0;
        if (!control.GetTagFromIndex(index, group, element, buffer, kBufferCharacters))
            continue;
        std::string line = tagText(group, element);

        const TagDictionary::Entry* entry =
            dictionary_.find(static_cast<std::uint16_t>(group), static_cast<std::uint16_t>(element));
        bool numeric = false;
        std::string value;
        if (entry != nullptr) {
            line += entry->name;
            if (entry->valueRepresentation == "UL") {
                std::int32_t number = 0;
                if (control.GetTagLong(group, element, number)) {
                    value = std::to_string(number);
                    numeric = true;
                }
            } else if (entry->valueRepresentation == "US") {
                std::int16_t number = 0;
                if (control.GetTagShort(group, element, number)) {
                    value = std::to_string(number);
                    numeric = true;
                }
            }
        }
        const std::size_t nameLength = entry != nullptr ? entry->name.size() : 0;
        if (line.size() >= kValueColumn)
            line += ' ';
        else
            line.append(kNameWidth - nameLength, ' ');

        if (!numeric) {
            // The value ends two characters before the end mark (a filler, then CR).
            const std::size_t mark = buffer.find('\r');
            if (mark != std::string::npos && mark >= 1)
                value = buffer.substr(0, mark - 1);
            if (form == TextForm::Decoded && entry != nullptr &&
                CharacterSetDecoder::governs(entry->valueRepresentation))
                value = characterSet.decode(value, entry->valueRepresentation);
        }
        line += value;
        result.push_back(std::move(line));
    }
    return result;
}
