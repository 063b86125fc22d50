#include "report/ReportSummaryRow.h"

#include "reading/ReadingCodes.h"
#include "reading/ReadingRecord.h"
#include "report/Worksheet.h"

#include <numeric>

namespace vantor {

namespace {

template <std::size_t N>
int sumOfSix(const std::array<std::int16_t, N>& grades)
{
    return std::accumulate(grades.begin(), grades.begin() + 6, 0);
}

// Writes to consecutive columns from `column` on; returns the next column.
class RowWriter {
public:
    RowWriter(Worksheet& sheet, int row) : sheet_(sheet), row_(row) {}

    void text(std::string_view value) { sheet_.setText(row_, column_++, std::string(value)); }
    void number(double value) { sheet_.setNumber(row_, column_++, value); }
    template <std::size_t N>
    void numbers(const std::array<std::int16_t, N>& values, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            number(values[i]);
    }
    template <std::size_t N>
    void yesNo(const std::array<std::int16_t, N>& values, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i)
            text(YesNoText(values[i]));
    }
    template <std::size_t N>
    void gradesWithSum(const std::array<std::int16_t, N>& grades)
    {
        numbers(grades, 6);
        number(sumOfSix(grades));
    }
    int column() const { return column_; }

private:
    Worksheet& sheet_;
    int row_;
    int column_ = 1;
};

} // namespace

std::string SymbolList(const ReadingRecord& record)
{
    std::string list;
    for (int i = 0; i < SymbolCount; ++i) {
        if (record.Symbol[static_cast<std::size_t>(i)] != 1)
            continue;
        if (!list.empty())
            list += ':';
        list += SymbolText(i);
    }
    return list;
}

std::string StudyDateTimeText(const ReadingRecord& record)
{
    const std::string date = CellText(record.StudyDate);
    const std::string time = CellText(record.StudyTime);
    if (date.empty() || time.empty())
        return date + time;
    return date + " " + time;
}

void FillSummaryRow(Worksheet& summary, int row, int number, const ReadingRecord& r)
{
    RowWriter w(summary, row);
    w.number(number);                                   // 1
    w.text(CellText(r.PatientName));                    // 2
    w.text(CellText(r.PatientID));                      // 3
    w.text(CellText(r.Manufacturer));                   // 4
    w.text(CellText(r.ModelName));                      // 5
    w.text(StudyDateTimeText(r));                       // 6
    w.text(r.Findings == 0 ? "Yes" : "No");             // 7 "completely negative"
    w.text(YesNoText(r.RoundPresent));                  // 8
    w.yesNo(r.RoundSize, 3);                            // 9-11
    w.text(PQRText(r.RoundPredominantSize));            // 12
    w.gradesWithSum(r.RoundGrade);                      // 13-19
    w.text(YesNoText(r.IrregularPresent));              // 20
    w.yesNo(r.IrregularType, 2);                        // 21-22
    w.text(IntraInterText(r.IrregularPredominantType)); // 23
    w.gradesWithSum(r.IrregularGrade);                  // 24-30
    w.text(YesNoText(r.GgoGradable));                   // 31
    w.text(YesNoText(r.GgoPresent));                    // 32
    w.gradesWithSum(r.GgoGrade);                        // 33-39
    w.text(YesNoText(r.HoneycombPresent));              // 40
    w.gradesWithSum(r.HoneycombGrade);                  // 41-47
    w.text(YesNoText(r.EmphysemaPresent));              // 48
    w.gradesWithSum(r.EmphysemaGrade);                  // 49-55
    w.text(YesNoText(r.LargePresent));                  // 56
    w.text(ABCText(r.LargeSize));                       // 57
    w.numbers(r.LargeZone, 6);                          // 58-63
    w.text(CodeText(r.PredominantParenchymal));         // 64
    w.text(YesNoText(r.PleuralPresent));                // 65
    w.yesNo(r.PleuralType, 4);                          // 66-69
    w.text(PleuraText(r.PleuralPredominantType));       // 70
    w.numbers(r.PleuralSite, 6);                        // 71-76
    // Extents are grades shown as numbers, widths as the letters 0, a, b, c,
    // on either side alike.
    w.number(r.PleuralExtentWidth[0]);                  // 77 right extent
    w.text(GradeLetterText(r.PleuralExtentWidth[1]));   // 78 right width
    w.number(r.PleuralExtentWidth[2]);                  // 79 left extent
    w.text(GradeLetterText(r.PleuralExtentWidth[3]));   // 80 left width
    w.text(YesNoText(r.CalcPresent));                   // 81
    w.numbers(r.CalcSite, 3);                           // 82-84
    w.text(SymbolList(r));                              // 85
    w.text(CellText(r.Comment));                        // 86
    w.text(CellText(r.ReadingDate));                    // 87
    w.text(CellText(r.ReaderID));                       // 88
    w.text(CellText(r.ReaderName));                     // 89
}

} // namespace vantor
