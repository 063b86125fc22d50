#pragma once

namespace vantor {

class CellStyles;
class Worksheet;
struct ReadingRecord;

// Fills one copy of the reading-form sheet with a patient's reading: texts
// in their cells, each chosen answer boxed (a thick border around the cell
// of that answer) or crossed ("x"), and the grade sums. Boxes derive their
// cell formats from styles. A value that would put a mark outside the sheet
// (a damaged record) leaves that mark out.
void FillFormSheet(Worksheet& sheet, CellStyles& styles, const ReadingRecord& record);

} // namespace vantor
