#include "reading/ReadingCodes.h"

#include <cstddef>

namespace vantor {

namespace {

template <std::size_t N>
std::string_view listText(const std::array<std::string_view, N>& texts, int value, std::string_view outside)
{
    if (value < 0 || static_cast<std::size_t>(value) >= N)
        return outside;
    return texts[static_cast<std::size_t>(value)];
}

constexpr std::string_view None = "None";

} // namespace

std::string_view YesNoText(int value)
{
    static constexpr std::array<std::string_view, 2> texts = {"No", "Yes"};
    return listText(texts, value, {});
}

std::string_view PQRText(int value)
{
    static constexpr std::array<std::string_view, 3> texts = {"P", "Q", "R"};
    return listText(texts, value, None);
}

std::string_view IntraInterText(int value)
{
    static constexpr std::array<std::string_view, 2> texts = {"Intra", "Inter"};
    return listText(texts, value, None);
}

std::string_view ABCText(int value)
{
    static constexpr std::array<std::string_view, 3> texts = {"A", "B", "C"};
    return listText(texts, value, None);
}

std::string_view CodeText(int value)
{
    return listText(ParenchymalCodes, value, None);
}

std::string_view PleuraText(int value)
{
    return listText(PleuralTypeCodes, value, None);
}

std::string_view GradeLetterText(int value)
{
    static constexpr std::array<std::string_view, 4> texts = {"0", "a", "b", "c"};
    return listText(texts, value, {});
}

std::string_view SymbolText(int value)
{
    if (value < 1 || value >= SymbolCount)
        return None;
    return SymbolCodes[static_cast<std::size_t>(value)];
}

} // namespace vantor
