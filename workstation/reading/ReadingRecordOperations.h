#pragma once

#include "reading/ReadingRecord.h"

namespace vantor {

struct WorkstationState;

// Sets every reading member to its empty value (no findings, nothing chosen,
// "None" symbol, blank comment). The series information, ReadingDate,
// ReaderID, ReaderName and CommentMark are kept.
void ClearReading(ReadingRecord& record);
// The same for one patient; an index outside the list does nothing.
void ClearReading(Readings& readings, int patient);

// Writes the signed-in reader and the reading day into the record.
void StampReader(ReadingRecord& record, const WorkstationState& state);
// The same for one patient; an index outside the list does nothing.
void StampReader(Readings& readings, int patient, const WorkstationState& state);

// ReadingDate = the reading day ("YYYY/MM/DD"), as answering the question does.
void StampReadingDate(ReadingRecord& record, const WorkstationState& state);

// True when any section is answered Yes or any choice of the form is made
// (sizes, types, predominant items, grades above 0, large opacity size,
// toggles, predominant finding, symbols other than "None"): such a record
// counts as "findings present".
bool HasReadingChoice(const ReadingRecord& record);

} // namespace vantor
