#include "reading/FixedText.h"
#include "reading/ReadingRecord.h"
#include "reading/ReadingRecordOperations.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <string>

using namespace vantor;

TEST(FixedText, NeverAssignedHoldsNulBytesAndAssignedIsBlankPadded)
{
    FixedText<10> text;
    EXPECT_EQ(text.str(), std::string(10, '\0'));
    EXPECT_TRUE(text.isBlank());
    EXPECT_EQ(text.trimmed(), "");

    text = "2026/12/07";
    EXPECT_EQ(text.str(), "2026/12/07");
    text = "ab";
    EXPECT_EQ(text.str(), "ab        ");
    EXPECT_EQ(text.trimmed(), "ab");
    EXPECT_FALSE(text.isBlank());
    text = "";
    EXPECT_EQ(text.str(), std::string(10, ' '));
    EXPECT_TRUE(text.isBlank());
}

TEST(FixedText, LongTextIsCutAtACharacterBoundary)
{
    FixedText<5> text;
    text = "abcdefgh";
    EXPECT_EQ(text.str(), "abcde");

    // "ab" + two 3-byte characters = 8 bytes: the second character does not
    // fit whole in 5 bytes and is dropped, the gap is blank.
    text = "ab\xE6\x97\xA5\xE6\x9C\xAC";
    EXPECT_EQ(text.str(), "ab\xE6\x97\xA5");
    FixedText<4> four;
    four = "ab\xE6\x97\xA5";
    EXPECT_EQ(four.str(), "ab  ");
    FixedText<1> one;
    one = "\xC3\xA9"; // e acute, 2 bytes
    EXPECT_EQ(one.str(), " ");
}

TEST(ReadingRecord, FreshRecordIsZeroAndClearingGivesTheEmptyReading)
{
    ReadingRecord record;
    EXPECT_EQ(record.PatientName.str(), std::string(128, '\0'));
    EXPECT_EQ(record.RoundPredominantSize, 0);
    EXPECT_EQ(record.Symbol[0], 0);

    record.ImageCount = 120;
    record.Manufacturer = "ACME";
    record.ReaderName = "reader1";
    record.ReadingDate = "2026/12/07";
    record.CommentMark = -1;
    record.RoundPresent = 1;
    record.RoundSize = {1, 1, 1, 7};
    record.RoundGrade = {1, 2, 3, 1, 2, 3, 9};
    record.LargeSize = 2;
    record.Symbol[5] = 1;
    record.Symbol[23] = 4;
    record.Comment = "old comment";
    ClearReading(record);

    EXPECT_EQ(record.Findings, 0);
    EXPECT_EQ(record.RoundPresent, 0);
    EXPECT_EQ(record.RoundSize[0] + record.RoundSize[1] + record.RoundSize[2], 0);
    EXPECT_EQ(record.RoundSize[3], 7) << "the unused slot is not a reading member";
    EXPECT_EQ(record.RoundGrade[6], 9);
    for (int zone = 0; zone < 6; ++zone)
        EXPECT_EQ(record.RoundGrade[static_cast<std::size_t>(zone)], 0);
    EXPECT_EQ(record.RoundPredominantSize, -1);
    EXPECT_EQ(record.IrregularPredominantType, -1);
    EXPECT_EQ(record.LargeSize, -1);
    EXPECT_EQ(record.PredominantParenchymal, -1);
    EXPECT_EQ(record.PleuralPredominantType, -1);
    EXPECT_EQ(record.Symbol[0], 1);
    EXPECT_EQ(record.Symbol[5], 0);
    EXPECT_EQ(record.Symbol[23], 4);
    EXPECT_EQ(record.Comment.str(), std::string(1024, ' '));
    // Series information, reader stamp and comment mark survive.
    EXPECT_EQ(record.ImageCount, 120);
    EXPECT_EQ(record.Manufacturer.trimmed(), "ACME");
    EXPECT_EQ(record.ReaderName.trimmed(), "reader1");
    EXPECT_EQ(record.ReadingDate.str(), "2026/12/07");
    EXPECT_EQ(record.CommentMark, -1);
    EXPECT_FALSE(HasReadingChoice(record));
}

TEST(ReadingRecord, StampReaderWritesReaderAndReadingDayAndIgnoresMissingPatients)
{
    WorkstationState state;
    state.ReaderName = "reader1";
    state.ReadingDate = "2026/12/07";
    Readings readings(2);
    StampReader(readings, 1, state);
    EXPECT_EQ(readings[1].ReaderName.str(), "reader1" + std::string(121, ' '));
    EXPECT_EQ(readings[1].ReadingDate.str(), "2026/12/07");
    EXPECT_EQ(readings[0].ReaderName.str(), std::string(128, '\0'));

    const Readings before = readings;
    StampReader(readings, -1, state);
    StampReader(readings, 2, state);
    ClearReading(readings, 5);
    EXPECT_EQ(readings, before);
}

TEST(ReadingRecord, AnyAnswerOrChoiceCountsAsFindings)
{
    ReadingRecord clean;
    ClearReading(clean);
    ASSERT_FALSE(HasReadingChoice(clean));

    auto changed = [&](auto change) {
        ReadingRecord record = clean;
        change(record);
        return HasReadingChoice(record);
    };
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.CalcPresent = 1; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.IrregularType[1] = 1; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.PleuralPredominantType = 3; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.EmphysemaGrade[5] = 1; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.PleuralExtentWidth[3] = 2; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.LargeSize = 0; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.PredominantParenchymal = 0; }));
    EXPECT_TRUE(changed([](ReadingRecord& r) { r.Symbol[22] = 1; }));
    // A comment, the unused slots and the series block are no answers.
    EXPECT_FALSE(changed([](ReadingRecord& r) { r.Comment = "note"; r.CommentMark = -1; }));
    EXPECT_FALSE(changed([](ReadingRecord& r) { r.RoundGrade[6] = 3; r.Symbol[23] = 1; r.KVP = 120; }));
}
