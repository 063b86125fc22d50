#include "reading/ReadingCodes.h"
#include "reading/ReadingFormModel.h"
#include "reading/ReadingRecordOperations.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vantor;

namespace {

constexpr int MP = SymbolMosaicPerfusion;
constexpr int AX = 1;

class ReadingFormModelTest : public ::testing::Test {
protected:
    ReadingFormModelTest() : model(readings, state)
    {
        state.ReaderName = "reader1";
        state.ReadingDate = "2026/12/07";
        readings.resize(3);
        for (ReadingRecord& record : readings) {
            ClearReading(record);
            record.ReadingDate = "2001/02/03";
        }
        state.CurPatient = 1;
        model.setConfirmation([this](const std::string& message) {
            questions.push_back(message);
            return confirmAnswer;
        });
    }

    ReadingRecord& current() { return readings[1]; }

    WorkstationState state;
    Readings readings;
    ReadingFormModel model;
    std::vector<std::string> questions;
    bool confirmAnswer = true;
};

} // namespace

TEST_F(ReadingFormModelTest, FreshPatientIsNegativeWithEverySectionNo)
{
    EXPECT_EQ(current().Findings, 0);
    for (auto section : {ReadingSection::Rounded, ReadingSection::Irregular, ReadingSection::GroundGlass,
                         ReadingSection::Honeycomb, ReadingSection::Emphysema, ReadingSection::Large,
                         ReadingSection::Pleural, ReadingSection::Calcification})
        EXPECT_FALSE(model.sectionPresent(section));
    EXPECT_EQ(model.gradeSum(ReadingSection::Rounded), 0);
    const ReadingRecord before = current();
    EXPECT_TRUE(model.ShowReading(1));
    EXPECT_EQ(current(), before) << "showing a clean record changes nothing, not even the date";
}

TEST_F(ReadingFormModelTest, GradeTwoRightMiddleAnswersTheSectionAndTheQuestion)
{
    ASSERT_TRUE(model.selectGrade(ReadingSection::Rounded, 1, 2));
    EXPECT_EQ(current().RoundGrade[1], 2);
    EXPECT_EQ(current().RoundPresent, 1);
    EXPECT_EQ(current().Findings, 1);
    EXPECT_EQ(current().ReadingDate.str(), "2026/12/07");
    EXPECT_EQ(model.gradeSum(ReadingSection::Rounded), 2);
    model.selectGrade(ReadingSection::Rounded, 5, 3);
    EXPECT_EQ(model.gradeSum(ReadingSection::Rounded), 5);
    model.selectGrade(ReadingSection::Rounded, 1, 1);
    EXPECT_EQ(model.gradeSum(ReadingSection::Rounded), 4) << "a zone's grade is replaced, not added";
    EXPECT_EQ(readings[0], readings[2]) << "other patients untouched";
}

TEST_F(ReadingFormModelTest, GradeZeroNeverAnswersYesNorNo)
{
    model.selectGrade(ReadingSection::Honeycomb, 3, 0);
    EXPECT_EQ(current().HoneycombPresent, 0);
    EXPECT_EQ(current().Findings, 0);

    model.answerSection(ReadingSection::Honeycomb, true);
    model.selectGrade(ReadingSection::Honeycomb, 3, 2);
    model.selectGrade(ReadingSection::Honeycomb, 3, 0);
    EXPECT_EQ(current().HoneycombPresent, 1) << "back to 0 keeps the section's Yes";
    EXPECT_EQ(current().HoneycombGrade[3], 0);
}

TEST_F(ReadingFormModelTest, PredominantSizeQCheckedAndUnchecked)
{
    model.setPredominant(ReadingSection::Rounded, 0, true);
    ASSERT_EQ(current().RoundPredominantSize, 0);
    model.setPredominant(ReadingSection::Rounded, 1, true);
    EXPECT_EQ(current().RoundSize[1], 1);
    EXPECT_EQ(current().RoundPresent, 1);
    EXPECT_EQ(current().Findings, 1);
    EXPECT_EQ(current().RoundPredominantSize, 1);
    EXPECT_EQ(model.predominantItem(ReadingSection::Rounded), 1) << "the P box is cleared";
    EXPECT_EQ(current().RoundSize[0], 1) << "P stays present";

    model.setPredominant(ReadingSection::Rounded, 0, false); // P was no longer checked
    EXPECT_EQ(current().RoundPredominantSize, 1);
    model.setPredominant(ReadingSection::Rounded, 1, false);
    EXPECT_EQ(current().RoundPredominantSize, -1);
    EXPECT_EQ(current().RoundSize[1], 1);
}

TEST_F(ReadingFormModelTest, ItemNoClearsItsPredominanceAndSectionNoEmptiesEverything)
{
    model.setPredominant(ReadingSection::Pleural, 2, true);
    model.answerItem(ReadingSection::Pleural, 0, true);
    model.toggleSite(ReadingSection::Pleural, 4);
    model.selectGrade(ReadingSection::Pleural, 1, 3);
    EXPECT_EQ(current().PleuralPresent, 1);
    EXPECT_EQ(current().PleuralSite[4], 1);
    EXPECT_EQ(current().PleuralExtentWidth[1], 3);

    model.answerItem(ReadingSection::Pleural, 0, false);
    EXPECT_EQ(current().PleuralPredominantType, 2) << "another item's No leaves the predominant one";
    model.answerItem(ReadingSection::Pleural, 2, false);
    EXPECT_EQ(current().PleuralType[2], 0);
    EXPECT_EQ(current().PleuralPredominantType, -1);

    model.answerSection(ReadingSection::Pleural, false);
    ReadingRecord expected = current();
    ClearReading(expected);
    EXPECT_EQ(current().PleuralPresent, 0);
    EXPECT_EQ(current().PleuralSite, expected.PleuralSite);
    EXPECT_EQ(current().PleuralExtentWidth, expected.PleuralExtentWidth);
    EXPECT_EQ(current().PleuralType, expected.PleuralType);
    EXPECT_EQ(current().Findings, 1) << "a section's No does not answer the question";
}

TEST_F(ReadingFormModelTest, GroundGlassNoWithMosaicPerfusionKeepsGradable)
{
    model.toggleSymbol(MP);
    EXPECT_EQ(current().GgoGradable, 1);
    model.selectGrade(ReadingSection::GroundGlass, 0, 3);
    model.selectGrade(ReadingSection::GroundGlass, 4, 1);
    EXPECT_EQ(current().GgoPresent, 1);

    model.answerSection(ReadingSection::GroundGlass, false);
    EXPECT_EQ(current().GgoPresent, 0);
    EXPECT_EQ(current().GgoGradable, 1);
    EXPECT_EQ(model.gradeSum(ReadingSection::GroundGlass), 0);

    model.toggleSymbol(MP); // off, ground glass absent
    EXPECT_EQ(current().GgoGradable, 0);
    model.answerSection(ReadingSection::GroundGlass, true);
    EXPECT_EQ(current().GgoGradable, 1);
    model.toggleSymbol(MP);
    model.toggleSymbol(MP); // on and off again while ground glass is present
    EXPECT_EQ(current().GgoGradable, 1);
    model.answerSection(ReadingSection::GroundGlass, false);
    EXPECT_EQ(current().GgoGradable, 0);
}

TEST_F(ReadingFormModelTest, NoneAfterAxAndMpClearsThemAndFollowsTheMpRule)
{
    model.toggleSymbol(AX);
    model.toggleSymbol(MP);
    EXPECT_EQ(current().Symbol[0], 0);
    EXPECT_EQ(current().Findings, 1);
    model.chooseNoSymbol();
    EXPECT_EQ(current().Symbol[0], 1);
    EXPECT_EQ(current().Symbol[AX], 0);
    EXPECT_EQ(current().Symbol[MP], 0);
    EXPECT_EQ(current().GgoGradable, 0);

    model.answerSection(ReadingSection::GroundGlass, true);
    model.toggleSymbol(MP);
    model.toggleSymbol(0); // the "None" button
    EXPECT_EQ(current().GgoGradable, 1) << "ground glass is still present";
    model.chooseNoSymbol();
    EXPECT_EQ(current().Symbol[0], 1) << "None is chosen, not flipped";
}

TEST_F(ReadingFormModelTest, CancelledConfirmationChangesOnlyTheDate)
{
    model.selectGrade(ReadingSection::Emphysema, 2, 1);
    model.toggleSymbol(5);
    current().ReadingDate = "1999/09/09";
    ReadingRecord before = current();
    confirmAnswer = false;
    EXPECT_FALSE(model.answerQuestionYes());
    ASSERT_EQ(questions.size(), 1U);
    EXPECT_EQ(questions[0], "This operation clears the all diagnosing for the current patient.\nAre you OK ?");
    EXPECT_EQ(current().ReadingDate.str(), "2026/12/07");
    before.ReadingDate = "2026/12/07";
    EXPECT_EQ(current(), before);

    confirmAnswer = true;
    EXPECT_TRUE(model.answerQuestionYes());
    ReadingRecord cleared = before;
    ClearReading(cleared);
    EXPECT_EQ(current(), cleared);
    EXPECT_EQ(current().Findings, 0);
}

TEST_F(ReadingFormModelTest, WithoutAConfirmationCallbackNothingIsCleared)
{
    ReadingFormModel bare(readings, state);
    bare.toggleSymbol(3);
    EXPECT_FALSE(bare.answerQuestionYes());
    EXPECT_EQ(current().Symbol[3], 1);
}

TEST_F(ReadingFormModelTest, CommentIsTrimmedAndOnlyANonBlankOneSetsTheMark)
{
    model.changeComment("   ");
    model.leaveComment();
    EXPECT_EQ(current().CommentMark, 0);
    EXPECT_TRUE(current().Comment.isBlank());

    model.changeComment("  nodule in S6 \n");
    EXPECT_EQ(current().Comment.trimmed(), "nodule in S6");
    EXPECT_EQ(current().CommentMark, 0) << "the mark waits for the box to lose the focus";
    model.leaveComment();
    EXPECT_EQ(current().CommentMark, -1);
    model.changeComment("");
    model.leaveComment();
    EXPECT_EQ(current().CommentMark, -1) << "the mark stays once set";
    EXPECT_EQ(current().Findings, 0) << "a comment is no finding";
}

TEST_F(ReadingFormModelTest, LargeOpacitiesPredominanceAndToggles)
{
    model.chooseLargeSize(2);
    EXPECT_EQ(current().LargePresent, 1);
    EXPECT_EQ(current().LargeSize, 2);
    model.toggleSite(ReadingSection::Large, 3);
    model.toggleSite(ReadingSection::Large, 3);
    model.toggleSite(ReadingSection::Large, 5);
    EXPECT_EQ(current().LargeZone[3], 0);
    EXPECT_EQ(current().LargeZone[5], 1);
    model.answerSection(ReadingSection::Large, false);
    EXPECT_EQ(current().LargeSize, -1);
    EXPECT_EQ(current().LargeZone[5], 0);

    model.toggleSite(ReadingSection::Calcification, 2);
    EXPECT_EQ(current().CalcPresent, 1);
    EXPECT_EQ(current().CalcSite[2], 1);

    model.choosePredominance(4);
    EXPECT_EQ(current().PredominantParenchymal, 4);
    model.resetPredominance();
    EXPECT_EQ(current().PredominantParenchymal, -1);
}

TEST_F(ReadingFormModelTest, ActionsWithoutCurrentPatientOrOutsideTheFormDoNothing)
{
    const Readings before = readings;
    EXPECT_FALSE(model.selectGrade(ReadingSection::Rounded, 6, 1));
    EXPECT_FALSE(model.selectGrade(ReadingSection::Rounded, 0, 4));
    EXPECT_FALSE(model.selectGrade(ReadingSection::Large, 0, 1));
    EXPECT_FALSE(model.selectGrade(ReadingSection::Pleural, 4, 1));
    EXPECT_FALSE(model.answerItem(ReadingSection::Irregular, 2, true));
    EXPECT_FALSE(model.setPredominant(ReadingSection::GroundGlass, 0, true));
    EXPECT_FALSE(model.toggleSite(ReadingSection::Calcification, 3));
    EXPECT_FALSE(model.toggleSymbol(23));
    EXPECT_FALSE(model.chooseLargeSize(3));
    EXPECT_FALSE(model.choosePredominance(6));
    EXPECT_EQ(readings, before);

    for (std::int16_t patient : {std::int16_t{-1}, std::int16_t{3}}) {
        state.CurPatient = patient;
        EXPECT_EQ(model.currentRecord(), nullptr);
        EXPECT_FALSE(model.answerQuestionNo());
        EXPECT_FALSE(model.answerQuestionYes());
        EXPECT_FALSE(model.answerSection(ReadingSection::Rounded, true));
        EXPECT_FALSE(model.selectGrade(ReadingSection::Rounded, 0, 2));
        EXPECT_FALSE(model.toggleSymbol(AX));
        EXPECT_FALSE(model.chooseNoSymbol());
        EXPECT_FALSE(model.changeComment("x"));
        EXPECT_FALSE(model.leaveComment());
        EXPECT_FALSE(model.resetPredominance());
        EXPECT_EQ(model.gradeSum(ReadingSection::Rounded), 0);
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_FALSE(model.ShowReading(-1));
    EXPECT_FALSE(model.ShowReading(3));
    EXPECT_EQ(readings, before);
}

TEST_F(ReadingFormModelTest, ShowReadingWritesAFilledRecordBackWithOnlyTheDateRestamped)
{
    model.setPredominant(ReadingSection::Rounded, 2, true);
    model.selectGrade(ReadingSection::Irregular, 4, 3);
    model.setPredominant(ReadingSection::Irregular, 1, true);
    model.toggleSymbol(MP);
    model.answerSection(ReadingSection::GroundGlass, false);
    model.chooseLargeSize(0);
    model.toggleSite(ReadingSection::Pleural, 1);
    model.selectGrade(ReadingSection::Pleural, 3, 2);
    model.toggleSite(ReadingSection::Calcification, 0);
    model.choosePredominance(1);
    model.changeComment("check again");
    model.leaveComment();

    current().ReadingDate = "1999/09/09";
    ReadingRecord expected = current();
    expected.ReadingDate = "2026/12/07";
    EXPECT_TRUE(model.ShowReading(1));
    EXPECT_EQ(current(), expected);
    EXPECT_TRUE(model.ShowReading(1));
    EXPECT_EQ(current(), expected) << "showing twice is the same";
}
