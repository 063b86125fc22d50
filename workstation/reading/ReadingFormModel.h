#pragma once

#include "reading/ReadingRecord.h"

#include <functional>
#include <string>
#include <string_view>

namespace vantor {

struct WorkstationState;

// The sections of the reading form that have a "No"/"Yes" answer.
enum class ReadingSection {
    Rounded,       // "Lung.-Round": sizes P, Q, R and six zone grades
    Irregular,     // "Lung.-Irr": types intralobular, interlobular and six zone grades
    GroundGlass,   // "Lung.-GGO": six zone grades
    Honeycomb,     // "Lung.-HC": six zone grades
    Emphysema,     // "Lung.-Em": six zone grades
    Large,         // "Lung.-Lo": size A, B, C and six zone toggles
    Pleural,       // "Pleural ab.": types W parietal, W visceral, M, D, six sites, extent and width
    Calcification, // "Pleural calc.": sites W, M, D
};

// The rules that tie the answers of the reading form together, applied to
// the current patient's record. The form calls one method per reader action
// and redraws itself from the record; tests call the same methods without a
// screen. Every action does nothing (and returns false) while no patient is
// current or when its arguments lie outside the form.
class ReadingFormModel {
public:
    // Asked before "Yes" to the negative question clears the reading; returns
    // true for OK. Without a callback the question counts as cancelled.
    using Confirmation = std::function<bool(const std::string& message)>;

    static const std::string ClearConfirmationText;

    ReadingFormModel(Readings& readings, WorkstationState& state);

    void setConfirmation(Confirmation confirmation) { confirmation_ = std::move(confirmation); }

    // The record that the form shows and changes; nullptr when no patient is current.
    ReadingRecord* currentRecord();
    const ReadingRecord* currentRecord() const;

    // "Is the patient completely negative ?" Yes: stamps the reading date, asks
    // for confirmation and on OK clears the reading. Returns true when cleared
    // (the form then shows its first tab).
    bool answerQuestionYes();
    // "No": stamps the reading date; findings present.
    bool answerQuestionNo();

    // A section's "Yes" / "No". "No" empties the whole section.
    bool answerSection(ReadingSection section, bool yes);
    // A size or type "Yes" / "No" (rounded sizes 0..2, irregular types 0..1, pleural types 0..3).
    bool answerItem(ReadingSection section, int item, bool yes);
    // A "Predominant" check box checked or unchecked.
    bool setPredominant(ReadingSection section, int item, bool checked);
    // A grade option: zone 0..5 (zone order A) of the five grade sections, or
    // for Pleural the group 0..3 (right extent, right width, left extent,
    // left width); grade 0..3.
    bool selectGrade(ReadingSection section, int zone, int grade);
    // Large opacity size 0..2 (A, B, C).
    bool chooseLargeSize(int size);
    // A toggle: large opacity zone or pleural site 0..5 (zone order B),
    // calcification site 0..2 (W, M, D).
    bool toggleSite(ReadingSection section, int site);
    // Predominant parenchymal finding 0..5 (RO .. LO), and its "Reset".
    bool choosePredominance(int finding);
    bool resetPredominance();
    // A symbol 1..22 flips; 0 ("None") clears every other symbol.
    bool toggleSymbol(int symbol);
    bool chooseNoSymbol();
    // Every change of the comment box, and the box losing the focus.
    bool changeComment(std::string_view text);
    // The comment as it is stored: blanks, tabs and line breaks at either end removed.
    static std::string_view trimComment(std::string_view text);
    bool leaveComment();

    // The record is about to be shown: a record with any answer or choice
    // counts as "findings present" and its reading date is re-stamped; nothing
    // else changes. Returns false for an index outside the list.
    bool ShowReading(int patient);

    // What the form shows for the current record (false / -1 / 0 without one).
    bool sectionPresent(ReadingSection section) const;
    bool itemPresent(ReadingSection section, int item) const;
    int predominantItem(ReadingSection section) const; // -1 none
    int grade(ReadingSection section, int zone) const;
    int gradeSum(ReadingSection section) const;          // the "Sum Grade" of a grade section
    bool siteOn(ReadingSection section, int site) const;

    static int itemCount(ReadingSection section);  // sizes / types of a section, 0 when it has none
    static int zoneCount(ReadingSection section);  // grade zones (6) or pleural groups (4), 0 when none
    static int siteCount(ReadingSection section);  // toggle buttons of a section, 0 when none

private:
    std::int16_t* presentMember(ReadingRecord& record, ReadingSection section) const;
    std::int16_t* itemMember(ReadingRecord& record, ReadingSection section, int item) const;
    std::int16_t* predominantMember(ReadingRecord& record, ReadingSection section) const;
    std::int16_t* gradeMember(ReadingRecord& record, ReadingSection section, int zone) const;
    std::int16_t* siteMember(ReadingRecord& record, ReadingSection section, int site) const;

    void answerNo(ReadingRecord& record);
    void sectionYes(ReadingRecord& record, ReadingSection section);
    void sectionNo(ReadingRecord& record, ReadingSection section);
    void symbolChanged(ReadingRecord& record, int symbol, bool on);

    Readings& readings_;
    WorkstationState& state_;
    Confirmation confirmation_;
};

} // namespace vantor
