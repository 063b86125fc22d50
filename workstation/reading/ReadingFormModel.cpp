#include "reading/ReadingFormModel.h"

#include "reading/ReadingCodes.h"
#include "reading/ReadingRecordOperations.h"
#include "startup/WorkstationState.h"

#include <cstddef>

namespace vantor {

namespace {

std::size_t slot(int index) { return static_cast<std::size_t>(index); }

bool gradeSection(ReadingSection section)
{
    switch (section) {
    case ReadingSection::Rounded:
    case ReadingSection::Irregular:
    case ReadingSection::GroundGlass:
    case ReadingSection::Honeycomb:
    case ReadingSection::Emphysema:
        return true;
    default:
        return false;
    }
}

} // namespace

const std::string ReadingFormModel::ClearConfirmationText =
    "This operation clears the all diagnosing for the current patient.\nAre you OK ?";

ReadingFormModel::ReadingFormModel(Readings& readings, WorkstationState& state)
    : readings_(readings), state_(state)
{
}

ReadingRecord* ReadingFormModel::currentRecord()
{
    const int patient = state_.CurPatient;
    if (patient < 0 || slot(patient) >= readings_.size())
        return nullptr;
    return &readings_[slot(patient)];
}

const ReadingRecord* ReadingFormModel::currentRecord() const
{
    return const_cast<ReadingFormModel*>(this)->currentRecord();
}

int ReadingFormModel::itemCount(ReadingSection section)
{
    switch (section) {
    case ReadingSection::Rounded: return 3;
    case ReadingSection::Irregular: return 2;
    case ReadingSection::Pleural: return 4;
    default: return 0;
    }
}

int ReadingFormModel::zoneCount(ReadingSection section)
{
    if (gradeSection(section))
        return 6;
    return section == ReadingSection::Pleural ? 4 : 0;
}

int ReadingFormModel::siteCount(ReadingSection section)
{
    switch (section) {
    case ReadingSection::Large:
    case ReadingSection::Pleural: return 6;
    case ReadingSection::Calcification: return 3;
    default: return 0;
    }
}

std::int16_t* ReadingFormModel::presentMember(ReadingRecord& r, ReadingSection section) const
{
    switch (section) {
    case ReadingSection::Rounded: return &r.RoundPresent;
    case ReadingSection::Irregular: return &r.IrregularPresent;
    case ReadingSection::GroundGlass: return &r.GgoPresent;
    case ReadingSection::Honeycomb: return &r.HoneycombPresent;
    case ReadingSection::Emphysema: return &r.EmphysemaPresent;
    case ReadingSection::Large: return &r.LargePresent;
    case ReadingSection::Pleural: return &r.PleuralPresent;
    case ReadingSection::Calcification: return &r.CalcPresent;
    }
    return nullptr;
}

std::int16_t* ReadingFormModel::itemMember(ReadingRecord& r, ReadingSection section, int item) const
{
    if (item < 0 || item >= itemCount(section))
        return nullptr;
    switch (section) {
    case ReadingSection::Rounded: return &r.RoundSize[slot(item)];
    case ReadingSection::Irregular: return &r.IrregularType[slot(item)];
    case ReadingSection::Pleural: return &r.PleuralType[slot(item)];
    default: return nullptr;
    }
}

std::int16_t* ReadingFormModel::predominantMember(ReadingRecord& r, ReadingSection section) const
{
    switch (section) {
    case ReadingSection::Rounded: return &r.RoundPredominantSize;
    case ReadingSection::Irregular: return &r.IrregularPredominantType;
    case ReadingSection::Pleural: return &r.PleuralPredominantType;
    default: return nullptr;
    }
}

std::int16_t* ReadingFormModel::gradeMember(ReadingRecord& r, ReadingSection section, int zone) const
{
    if (zone < 0 || zone >= zoneCount(section))
        return nullptr;
    switch (section) {
    case ReadingSection::Rounded: return &r.RoundGrade[slot(zone)];
    case ReadingSection::Irregular: return &r.IrregularGrade[slot(zone)];
    case ReadingSection::GroundGlass: return &r.GgoGrade[slot(zone)];
    case ReadingSection::Honeycomb: return &r.HoneycombGrade[slot(zone)];
    case ReadingSection::Emphysema: return &r.EmphysemaGrade[slot(zone)];
    case ReadingSection::Pleural: return &r.PleuralExtentWidth[slot(zone)];
    default: return nullptr;
    }
}

std::int16_t* ReadingFormModel::siteMember(ReadingRecord& r, ReadingSection section, int site) const
{
    if (site < 0 || site >= siteCount(section))
        return nullptr;
    switch (section) {
    case ReadingSection::Large: return &r.LargeZone[slot(site)];
    case ReadingSection::Pleural: return &r.PleuralSite[slot(site)];
    case ReadingSection::Calcification: return &r.CalcSite[slot(site)];
    default: return nullptr;
    }
}

void ReadingFormModel::answerNo(ReadingRecord& record)
{
    StampReadingDate(record, state_);
    record.Findings = 1;
}

void ReadingFormModel::sectionYes(ReadingRecord& record, ReadingSection section)
{
    answerNo(record);
    *presentMember(record, section) = 1;
    if (section == ReadingSection::GroundGlass)
        record.GgoGradable = 1;
}

void ReadingFormModel::sectionNo(ReadingRecord& record, ReadingSection section)
{
    *presentMember(record, section) = 0;
    for (int item = 0; item < itemCount(section); ++item)
        *itemMember(record, section, item) = 0;
    if (std::int16_t* predominant = predominantMember(record, section))
        *predominant = -1;
    for (int zone = 0; zone < zoneCount(section); ++zone)
        *gradeMember(record, section, zone) = 0;
    for (int site = 0; site < siteCount(section); ++site)
        *siteMember(record, section, site) = 0;
    if (section == ReadingSection::Large)
        record.LargeSize = -1;
    if (section == ReadingSection::GroundGlass)
        record.GgoGradable = record.Symbol[SymbolMosaicPerfusion] != 0 ? 1 : 0;
}

bool ReadingFormModel::answerQuestionYes()
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    StampReadingDate(*record, state_);
    if (!confirmation_ || !confirmation_(ClearConfirmationText))
        return false;
    record->Findings = 0;
    ClearReading(*record);
    ShowReading(state_.CurPatient);
    return true;
}

bool ReadingFormModel::answerQuestionNo()
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    answerNo(*record);
    return true;
}

bool ReadingFormModel::answerSection(ReadingSection section, bool yes)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    if (yes)
        sectionYes(*record, section);
    else
        sectionNo(*record, section);
    return true;
}

bool ReadingFormModel::answerItem(ReadingSection section, int item, bool yes)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    std::int16_t* flag = itemMember(*record, section, item);
    if (flag == nullptr)
        return false;
    if (yes) {
        *flag = 1;
        sectionYes(*record, section);
    } else {
        *flag = 0;
        // An item that is absent cannot be the predominant one.
        std::int16_t* predominant = predominantMember(*record, section);
        if (*predominant == item)
            *predominant = -1;
    }
    return true;
}

bool ReadingFormModel::setPredominant(ReadingSection section, int item, bool checked)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr || itemMember(*record, section, item) == nullptr)
        return false;
    std::int16_t* predominant = predominantMember(*record, section);
    if (checked) {
        answerItem(section, item, true);
        *predominant = static_cast<std::int16_t>(item);
    } else if (*predominant == item) {
        *predominant = -1;
    }
    return true;
}

bool ReadingFormModel::selectGrade(ReadingSection section, int zone, int grade)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr || grade < 0 || grade > 3)
        return false;
    std::int16_t* member = gradeMember(*record, section, zone);
    if (member == nullptr)
        return false;
    if (grade > 0)
        sectionYes(*record, section);
    *member = static_cast<std::int16_t>(grade);
    return true;
}

bool ReadingFormModel::chooseLargeSize(int size)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr || size < 0 || size > 2)
        return false;
    sectionYes(*record, ReadingSection::Large);
    record->LargeSize = static_cast<std::int16_t>(size);
    return true;
}

bool ReadingFormModel::toggleSite(ReadingSection section, int site)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    std::int16_t* member = siteMember(*record, section, site);
    if (member == nullptr)
        return false;
    sectionYes(*record, section);
    *member = *member != 0 ? 0 : 1;
    return true;
}

bool ReadingFormModel::choosePredominance(int finding)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr || finding < 0 || finding > 5)
        return false;
    answerNo(*record);
    record->PredominantParenchymal = static_cast<std::int16_t>(finding);
    return true;
}

bool ReadingFormModel::resetPredominance()
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    record->PredominantParenchymal = -1;
    return true;
}

void ReadingFormModel::symbolChanged(ReadingRecord& record, int symbol, bool on)
{
    record.Symbol[slot(symbol)] = on ? 1 : 0;
    if (symbol == SymbolMosaicPerfusion)
        record.GgoGradable = (on || record.GgoPresent == 1) ? 1 : 0;
}

bool ReadingFormModel::toggleSymbol(int symbol)
{
    if (symbol == 0)
        return chooseNoSymbol();
    ReadingRecord* record = currentRecord();
    if (record == nullptr || symbol < 0 || symbol >= SymbolCount)
        return false;
    answerNo(*record);
    record->Symbol[0] = 0;
    symbolChanged(*record, symbol, record->Symbol[slot(symbol)] == 0);
    return true;
}

bool ReadingFormModel::chooseNoSymbol()
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    record->Symbol[0] = 1;
    for (int symbol = 1; symbol < SymbolCount; ++symbol) {
        if (record->Symbol[slot(symbol)] != 0)
            symbolChanged(*record, symbol, false);
    }
    return true;
}

bool ReadingFormModel::changeComment(std::string_view text)
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    record->Comment.assign(trimComment(text));
    return true;
}

// Blanks at either end of a comment carry no meaning; line breaks and tabs count as blanks.
std::string_view ReadingFormModel::trimComment(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

bool ReadingFormModel::leaveComment()
{
    ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    if (!record->Comment.isBlank())
        record->CommentMark = -1;
    return true;
}

bool ReadingFormModel::ShowReading(int patient)
{
    if (patient < 0 || slot(patient) >= readings_.size())
        return false;
    ReadingRecord& record = readings_[slot(patient)];
    if (HasReadingChoice(record))
        answerNo(record);
    return true;
}

bool ReadingFormModel::sectionPresent(ReadingSection section) const
{
    const ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    return *presentMember(const_cast<ReadingRecord&>(*record), section) == 1;
}

bool ReadingFormModel::itemPresent(ReadingSection section, int item) const
{
    const ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    const std::int16_t* flag = itemMember(const_cast<ReadingRecord&>(*record), section, item);
    return flag != nullptr && *flag == 1;
}

int ReadingFormModel::predominantItem(ReadingSection section) const
{
    const ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return -1;
    const std::int16_t* predominant = predominantMember(const_cast<ReadingRecord&>(*record), section);
    return predominant != nullptr ? *predominant : -1;
}

int ReadingFormModel::grade(ReadingSection section, int zone) const
{
    const ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return 0;
    const std::int16_t* member = gradeMember(const_cast<ReadingRecord&>(*record), section, zone);
    return member != nullptr ? *member : 0;
}

int ReadingFormModel::gradeSum(ReadingSection section) const
{
    if (!gradeSection(section))
        return 0;
    int sum = 0;
    for (int zone = 0; zone < 6; ++zone)
        sum += grade(section, zone);
    return sum;
}

bool ReadingFormModel::siteOn(ReadingSection section, int site) const
{
    const ReadingRecord* record = currentRecord();
    if (record == nullptr)
        return false;
    const std::int16_t* member = siteMember(const_cast<ReadingRecord&>(*record), section, site);
    return member != nullptr && *member != 0;
}

} // namespace vantor
