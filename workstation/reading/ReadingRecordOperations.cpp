#include "reading/ReadingRecordOperations.h"

#include "startup/WorkstationState.h"

#include <algorithm>
#include <cstddef>

namespace vantor {

namespace {

// Zeroes the used slots of an array member; the unused last slot keeps its value.
template <std::size_t N>
void clearUsed(std::array<std::int16_t, N>& values, std::size_t used)
{
    std::fill_n(values.begin(), std::min(used, N), std::int16_t{0});
}

template <std::size_t N>
bool anyUsed(const std::array<std::int16_t, N>& values, std::size_t used)
{
    return std::any_of(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(std::min(used, N)),
                       [](std::int16_t v) { return v != 0; });
}

bool validPatient(const Readings& readings, int patient)
{
    return patient >= 0 && static_cast<std::size_t>(patient) < readings.size();
}

} // namespace

void ClearReading(ReadingRecord& record)
{
    record.Findings = 0;
    record.RoundPresent = 0;
    clearUsed(record.RoundSize, 3);
    record.RoundPredominantSize = -1;
    clearUsed(record.RoundGrade, 6);
    record.IrregularPresent = 0;
    clearUsed(record.IrregularType, 2);
    record.IrregularPredominantType = -1;
    clearUsed(record.IrregularGrade, 6);
    record.GgoGradable = 0;
    record.GgoPresent = 0;
    clearUsed(record.GgoGrade, 6);
    record.HoneycombPresent = 0;
    clearUsed(record.HoneycombGrade, 6);
    record.EmphysemaPresent = 0;
    clearUsed(record.EmphysemaGrade, 6);
    record.LargePresent = 0;
    record.LargeSize = -1;
    clearUsed(record.LargeZone, 6);
    record.PredominantParenchymal = -1;
    clearUsed(record.Symbol, 23);
    record.Symbol[0] = 1;
    record.PleuralPresent = 0;
    clearUsed(record.PleuralType, 4);
    record.PleuralPredominantType = -1;
    clearUsed(record.PleuralSite, 6);
    clearUsed(record.PleuralExtentWidth, 4);
    record.CalcPresent = 0;
    clearUsed(record.CalcSite, 3);
    record.Comment.assign("");
}

void ClearReading(Readings& readings, int patient)
{
    if (validPatient(readings, patient))
        ClearReading(readings[static_cast<std::size_t>(patient)]);
}

void StampReader(ReadingRecord& record, const WorkstationState& state)
{
    record.ReaderName.assign(state.ReaderName);
    record.ReadingDate.assign(state.ReadingDate);
}

void StampReader(Readings& readings, int patient, const WorkstationState& state)
{
    if (validPatient(readings, patient))
        StampReader(readings[static_cast<std::size_t>(patient)], state);
}

void StampReadingDate(ReadingRecord& record, const WorkstationState& state)
{
    record.ReadingDate.assign(state.ReadingDate);
}

bool HasReadingChoice(const ReadingRecord& r)
{
    const bool sectionYes = r.RoundPresent != 0 || r.IrregularPresent != 0 || r.GgoPresent != 0 ||
                            r.HoneycombPresent != 0 || r.EmphysemaPresent != 0 || r.LargePresent != 0 ||
                            r.PleuralPresent != 0 || r.CalcPresent != 0;
    const bool itemChosen = anyUsed(r.RoundSize, 3) || anyUsed(r.IrregularType, 2) || anyUsed(r.PleuralType, 4) ||
                            r.RoundPredominantSize != -1 || r.IrregularPredominantType != -1 ||
                            r.PleuralPredominantType != -1;
    const bool gradeChosen = anyUsed(r.RoundGrade, 6) || anyUsed(r.IrregularGrade, 6) || anyUsed(r.GgoGrade, 6) ||
                             anyUsed(r.HoneycombGrade, 6) || anyUsed(r.EmphysemaGrade, 6) ||
                             anyUsed(r.PleuralExtentWidth, 4);
    const bool toggled = r.LargeSize != -1 || anyUsed(r.LargeZone, 6) || anyUsed(r.PleuralSite, 6) ||
                         anyUsed(r.CalcSite, 3) || r.PredominantParenchymal != -1;
    bool symbol = false;
    for (int i = 1; i < 23; ++i)
        symbol = symbol || r.Symbol[static_cast<std::size_t>(i)] != 0;
    return sectionYes || itemChosen || gradeChosen || toggled || symbol;
}

} // namespace vantor
