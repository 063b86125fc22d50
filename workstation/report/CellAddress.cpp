#include "report/CellAddress.h"

namespace vantor {

std::string CellAddress::columnName(int column)
{
    if (column < 1 || column > MaximumColumn)
        return {};
    std::string name;
    while (column > 0) {
        const int digit = (column - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        column = (column - 1) / 26;
    }
    return name;
}

std::string CellAddress::reference(int row, int column)
{
    if (!isValid(row, column))
        return {};
    return columnName(column) + std::to_string(row);
}

std::optional<CellAddress> CellAddress::parse(std::string_view reference)
{
    std::size_t i = 0;
    if (i < reference.size() && reference[i] == '$')
        ++i;
    int column = 0;
    const std::size_t letters = i;
    while (i < reference.size() && i - letters < 3) {
        char c = reference[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z')
            break;
        column = column * 26 + (c - 'A' + 1);
        ++i;
    }
    if (i == letters)
        return std::nullopt;
    if (i < reference.size() && reference[i] == '$')
        ++i;
    const std::size_t digits = i;
    long row = 0;
    while (i < reference.size() && reference[i] >= '0' && reference[i] <= '9' && i - digits < 8) {
        row = row * 10 + (reference[i] - '0');
        ++i;
    }
    if (i == digits || i != reference.size() || !isValid(static_cast<int>(row), column))
        return std::nullopt;
    return CellAddress{static_cast<int>(row), column};
}

} // namespace vantor
