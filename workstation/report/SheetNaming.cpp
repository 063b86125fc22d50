#include "report/SheetNaming.h"

#include "report/Workbook.h"

namespace vantor {

namespace {

bool refused(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == ':' || c == '\\' || c == '/' || c == '?' || c == '*' || c == '[' ||
           c == ']';
}

// Length of the UTF-8 sequence that starts with lead (1 for a stray byte).
std::size_t sequenceLength(unsigned char lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

} // namespace

std::size_t SheetNaming::utf16Length(std::string_view text)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        units += length == 4 ? 2 : 1;
        i += length;
    }
    return units;
}

bool SheetNaming::isAcceptable(std::string_view name)
{
    if (name.empty() || utf16Length(name) > MaximumLength || name.front() == '\'' || name.back() == '\'' ||
        Workbook::namesEqual(name, "History"))
        return false;
    for (char c : name)
        if (refused(static_cast<unsigned char>(c)))
            return false;
    return true;
}

std::string SheetNaming::cleaned(std::string_view wanted, std::string_view fallback)
{
    std::string name;
    for (char c : wanted)
        name.push_back(refused(static_cast<unsigned char>(c)) ? '_' : c);
    // Surrounding blanks are what fixed-length fields leave behind; they are no part of a name.
    std::size_t first = 0;
    while (first < name.size() && (name[first] == ' ' || name[first] == '\''))
        ++first;
    std::size_t last = name.size();
    while (last > first && (name[last - 1] == ' ' || name[last - 1] == '\''))
        --last;
    name = name.substr(first, last - first);

    // Cut to 31 UTF-16 units without splitting a character.
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < name.size()) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(name[i]));
        const std::size_t width = length == 4 ? 2 : 1;
        if (units + width > MaximumLength || i + length > name.size())
            break;
        units += width;
        i += length;
    }
    name.resize(i);
    while (!name.empty() && (name.back() == ' ' || name.back() == '\''))
        name.pop_back();
    if (name.empty() || Workbook::namesEqual(name, "History"))
        return fallback.empty() ? std::string("Sheet") : cleaned(fallback, "Sheet");
    return name;
}

std::string SheetNaming::unique(std::string_view wanted, std::string_view fallback, const Workbook& workbook,
                                int ownIndex)
{
    const std::string base = cleaned(wanted, fallback);
    const auto taken = [&](const std::string& name) {
        const int index = workbook.sheetIndex(name);
        return index >= 0 && index != ownIndex;
    };
    if (!taken(base))
        return base;
    for (int number = 2;; ++number) {
        const std::string suffix = " (" + std::to_string(number) + ")";
        std::string stem = base;
        while (!stem.empty() && utf16Length(stem) + suffix.size() > MaximumLength) {
            // Drop the last character whole.
            std::size_t cut = stem.size() - 1;
            while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
                --cut;
            stem.resize(cut);
        }
        const std::string candidate = stem + suffix;
        if (!taken(candidate))
            return candidate;
    }
}

} // namespace vantor
