#include "report/ReportFormSheet.h"

#include "reading/ReadingRecord.h"
#include "report/CellAddress.h"
#include "report/CellStyles.h"
#include "report/ReportSummaryRow.h"
#include "report/Worksheet.h"

#include <numeric>

namespace vantor {

namespace {

class FormWriter {
public:
    FormWriter(Worksheet& sheet, CellStyles& styles) : sheet_(sheet), styles_(styles) {}

    // A thick border on the cell's four edges.
    void box(int row, int column)
    {
        if (CellAddress::isValid(row, column))
            sheet_.setStyle(row, column, styles_.boxed(sheet_.style(row, column)));
    }
    // The same, unless the choice is "none" (-1).
    void boxUnlessNone(int row, int column, int value)
    {
        if (value != -1)
            box(row, column);
    }
    void cross(int row, int column) { sheet_.setText(row, column, "x"); }
    void crossUnlessNone(int row, int column, int value)
    {
        if (value != -1)
            cross(row, column);
    }
    void text(int row, int column, std::string value) { sheet_.setText(row, column, std::move(value)); }
    template <std::size_t N>
    void sumOfSix(int row, int column, const std::array<std::int16_t, N>& grades)
    {
        sheet_.setNumber(row, column, std::accumulate(grades.begin(), grades.begin() + 6, 0));
    }
    // Six zone grades in three rows (upper, middle, lower) and two blocks of
    // four option cells (right, left), grade g in the block's column g.
    template <std::size_t N>
    void gradeGrid(int firstRow, int firstColumn, const std::array<std::int16_t, N>& grades)
    {
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 3; ++i)
                box(firstRow + i, firstColumn + 4 * j + grades[static_cast<std::size_t>(3 * j + i)]);
    }

private:
    Worksheet& sheet_;
    CellStyles& styles_;
};

} // namespace

void FillFormSheet(Worksheet& sheet, CellStyles& styles, const ReadingRecord& r)
{
    FormWriter f(sheet, styles);

    // Header.
    f.text(3, 4, CellText(r.PatientName));
    f.text(4, 4, CellText(r.PatientID));
    f.text(5, 4, CellText(r.Manufacturer));
    f.text(6, 4, CellText(r.ModelName));
    f.text(3, 18, StudyDateTimeText(r));

    // Completely negative, rounded opacities.
    f.box(10, 10 + r.Findings);
    f.box(12, 8 + r.RoundPresent);
    for (int i = 0; i < 3; ++i)
        f.box(15 + i, 6 + r.RoundSize[static_cast<std::size_t>(i)]);
    f.crossUnlessNone(15 + r.RoundPredominantSize, 9, r.RoundPredominantSize);
    f.gradeGrid(15, 13, r.RoundGrade);
    f.sumOfSix(18, 20, r.RoundGrade);

    // Irregular opacities.
    f.box(20, 8 + r.IrregularPresent);
    for (int i = 0; i < 2; ++i)
        f.box(23 + i, 6 + r.IrregularType[static_cast<std::size_t>(i)]);
    f.crossUnlessNone(23 + r.IrregularPredominantType, 9, r.IrregularPredominantType);
    f.gradeGrid(23, 13, r.IrregularGrade);
    f.sumOfSix(26, 20, r.IrregularGrade);

    // Ground glass.
    f.box(28, 8 + r.GgoGradable);
    f.box(28, 18 + r.GgoPresent);
    f.gradeGrid(31, 13, r.GgoGrade);
    f.sumOfSix(34, 20, r.GgoGrade);

    // Honeycombing (left half) and emphysema (right half).
    f.box(36, 8 + r.HoneycombPresent);
    f.gradeGrid(39, 3, r.HoneycombGrade);
    f.sumOfSix(42, 10, r.HoneycombGrade);
    f.box(36, 18 + r.EmphysemaPresent);
    f.gradeGrid(39, 13, r.EmphysemaGrade);
    f.sumOfSix(42, 20, r.EmphysemaGrade);

    // Large opacities: size, and zones in zone order B (two per row: right, left).
    f.box(44, 8 + r.LargePresent);
    f.boxUnlessNone(47 + r.LargeSize, 6, r.LargeSize);
    for (int i = 0; i < 6; ++i)
        if (r.LargeZone[static_cast<std::size_t>(i)] == 1)
            f.cross(47 + i / 2, 9 + i % 2);

    // Predominant parenchymal finding and symbols.
    f.boxUnlessNone(46, 13 + r.PredominantParenchymal, r.PredominantParenchymal);
    for (int i = 0; i < 23; ++i)
        if (r.Symbol[static_cast<std::size_t>(i)] == 1)
            f.box(13 + i, 22);

    // Pleural abnormalities.
    f.box(51, 8 + r.PleuralPresent);
    for (int i = 0; i < 4; ++i)
        f.box(53 + i, 5 + r.PleuralType[static_cast<std::size_t>(i)]);
    f.crossUnlessNone(53 + r.PleuralPredominantType, 8, r.PleuralPredominantType);
    for (int i = 0; i < 6; ++i)
        if (r.PleuralSite[static_cast<std::size_t>(i)] == 1)
            f.cross(54 + i / 2, 11 + i % 2);
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 2; ++i)
            f.box(55 + i, 15 + 4 * j + r.PleuralExtentWidth[static_cast<std::size_t>(2 * j + i)]);

    // Pleural calcification.
    f.box(58, 8 + r.CalcPresent);
    for (int i = 0; i < 3; ++i)
        if (r.CalcSite[static_cast<std::size_t>(i)] == 1)
            f.box(59, 12 + i);

    // Comment and the reader's stamp.
    f.text(61, 2, CellText(r.Comment));
    f.text(66, 3, CellText(r.ReadingDate));
    f.text(66, 11, CellText(r.ReaderName));
    f.text(67, 11, CellText(r.ReaderID));
}

} // namespace vantor
