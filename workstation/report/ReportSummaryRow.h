#pragma once

#include <string>

namespace vantor {

class Worksheet;
struct ReadingRecord;

// Columns of a summary row (A .. CK).
inline constexpr int SummaryColumnCount = 89;

// Fills row `row` of the summary sheet with one patient's reading; number
// is the patient's position among the read patients (1, 2, ...).
void FillSummaryRow(Worksheet& summary, int row, int number, const ReadingRecord& record);

// The chosen symbols' codes joined with ":" ("BR:CA:SC"); "None" when the
// "None" symbol is on.
std::string SymbolList(const ReadingRecord& record);

// A fixed-length text member as a cell shows it: up to the first NUL, without
// the padding blanks.
template <class Text>
std::string CellText(const Text& text)
{
    return text.trimmed();
}

// Study date and time in one text, "YYYY/MM/DD HH:MM:SS".
std::string StudyDateTimeText(const ReadingRecord& record);

} // namespace vantor
