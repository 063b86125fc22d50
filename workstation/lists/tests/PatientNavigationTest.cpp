#include "catalogue/Catalogue.h"
#include "lists/PatientNavigation.h"
#include "reading/ReadingRecordOperations.h"
#include "reading/ResultFile.h"
#include "startup/MessageBoxes.h"
#include "startup/WorkstationState.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <string>
#include <vector>

using namespace vantor;

namespace {

Catalogue makeCatalogue(int patients)
{
    Catalogue catalogue;
    catalogue.TopFolder = "/data/case1";
    for (int p = 0; p < patients; ++p) {
        PatientEntry patient;
        patient.FolderName = "P" + std::to_string(p);
        patient.PatientName = "Name" + std::to_string(p);
        patient.PatientID = "ID" + std::to_string(p);
        for (int s = 0; s <= p; ++s) {
            StudyEntry study;
            study.StudyDate = "2024010" + std::to_string(s + 1);
            patient.Studies.push_back(study);
        }
        catalogue.Patients.push_back(patient);
    }
    return catalogue;
}

// Drives a navigation over a catalogue and logs every callback in order.
class Navigation : public ::testing::Test {
protected:
    void open(int patients)
    {
        catalogue_ = makeCatalogue(patients);
        readings_.assign(catalogue_.Patients.size(), ReadingRecord{});
        for (auto& record : readings_)
            ClearReading(record);
        state_.ReaderName = "reader1";
        state_.ReadingDate = "2026/12/07";
        state_.TopFolder = catalogue_.TopFolder;
        state_.ResultFileName = "/data/case1_reader1.vtr";
        state_.CurPatient = -1;
        navigation_ = std::make_unique<PatientNavigation>(state_, readings_, catalogue_);
        PatientNavigation::Callbacks callbacks;
        callbacks.save = [this] {
            log_.push_back("save");
            // What is saved must already carry the stamp.
            if (state_.CurPatient >= 0)
                savedReader_.push_back(readings_[static_cast<std::size_t>(state_.CurPatient)].ReaderName.trimmed());
        };
        callbacks.choosePatient = [this](int preselected) {
            log_.push_back("choose " + std::to_string(preselected));
            return choice_;
        };
        callbacks.showReading = [this](int patient) { log_.push_back("show " + std::to_string(patient)); };
        callbacks.setButtons = [this](const PatientNavigation::ButtonStates& states) { buttons_ = states; };
        callbacks.setCaption = [this](const std::string& caption) { caption_ = caption; };
        callbacks.showStudies = [this](const std::vector<std::string>& dates) { studies_ = dates; };
        navigation_->setCallbacks(callbacks);
    }

    Catalogue catalogue_;
    Readings readings_;
    WorkstationState state_;
    std::unique_ptr<PatientNavigation> navigation_;
    std::vector<std::string> log_;
    std::vector<std::string> savedReader_;
    std::optional<int> choice_;
    PatientNavigation::ButtonStates buttons_;
    std::string caption_;
    std::vector<std::string> studies_;
};

} // namespace

TEST(PatientNavigationRules, ButtonStatesAtTheEndsAndWithOnePatient)
{
    using States = PatientNavigation::ButtonStates;
    EXPECT_EQ(PatientNavigation::buttonStates(0, 1), (States{false, false, true}));
    EXPECT_EQ(PatientNavigation::buttonStates(0, 3), (States{false, true, true}));
    EXPECT_EQ(PatientNavigation::buttonStates(1, 3), (States{true, true, true}));
    EXPECT_EQ(PatientNavigation::buttonStates(2, 3), (States{true, false, true}));
}

TEST_F(Navigation, FirstNextShowsTheFirstPatientWithoutStampingAndSavesFirst)
{
    open(3);
    ASSERT_TRUE(navigation_->Move(PatientNavigation::Direction::Next));
    EXPECT_EQ(state_.CurPatient, 0);
    EXPECT_EQ(log_, (std::vector<std::string>{"save", "show 0"}));
    for (const auto& record : readings_)
        EXPECT_TRUE(record.ReaderName.isBlank()); // nobody was left, nobody stamped
    EXPECT_EQ(buttons_, (PatientNavigation::ButtonStates{false, true, true}));
    EXPECT_EQ(caption_, "VANTOR_Viewer - 2026/12/07 reader1 [ /data/case1 ] (Patient_00001)");
    EXPECT_EQ(studies_, (std::vector<std::string>{"20240101"}));
}

TEST_F(Navigation, NextAndPrevStampThePatientLeftAndStopAtTheEnds)
{
    open(3);
    navigation_->Move(PatientNavigation::Direction::Next);
    navigation_->Move(PatientNavigation::Direction::Next);
    EXPECT_EQ(state_.CurPatient, 1);
    EXPECT_EQ(readings_[0].ReaderName.trimmed(), "reader1");
    EXPECT_EQ(readings_[0].ReadingDate.trimmed(), "2026/12/07");
    EXPECT_TRUE(readings_[1].ReaderName.isBlank());
    EXPECT_EQ(studies_.size(), 2U);
    EXPECT_EQ(buttons_, (PatientNavigation::ButtonStates{true, true, true}));

    navigation_->Move(PatientNavigation::Direction::Next);
    log_.clear();
    // Next on the last patient keeps it, but still stamps and saves.
    EXPECT_TRUE(navigation_->Move(PatientNavigation::Direction::Next));
    EXPECT_EQ(state_.CurPatient, 2);
    EXPECT_EQ(readings_[2].ReaderName.trimmed(), "reader1");
    EXPECT_EQ(log_, (std::vector<std::string>{"save", "show 2"}));
    EXPECT_EQ(buttons_, (PatientNavigation::ButtonStates{true, false, true}));
    EXPECT_EQ(caption_.substr(caption_.size() - 15), "(Patient_00003)");

    navigation_->Move(PatientNavigation::Direction::Prev);
    navigation_->Move(PatientNavigation::Direction::Prev);
    EXPECT_EQ(state_.CurPatient, 0);
    EXPECT_TRUE(navigation_->Move(PatientNavigation::Direction::Prev));
    EXPECT_EQ(state_.CurPatient, 0);
    EXPECT_EQ(savedReader_.back(), "reader1"); // the save saw the stamp of patient 0
}

TEST_F(Navigation, SinglePatientDisablesPrevAndNext)
{
    open(1);
    navigation_->Move(PatientNavigation::Direction::Next);
    EXPECT_EQ(buttons_, (PatientNavigation::ButtonStates{false, false, true}));
    navigation_->Move(PatientNavigation::Direction::Next);
    EXPECT_EQ(state_.CurPatient, 0);
    EXPECT_EQ(buttons_, (PatientNavigation::ButtonStates{false, false, true}));
}

TEST_F(Navigation, PrevWithNoCurrentPatientShowsNobody)
{
    open(2);
    EXPECT_FALSE(navigation_->Move(PatientNavigation::Direction::Prev));
    EXPECT_EQ(state_.CurPatient, -1);
    EXPECT_EQ(log_, (std::vector<std::string>{"save"}));
}

TEST_F(Navigation, SelectMovesToTheChosenPatientAndCancelStillSaves)
{
    open(3);
    navigation_->Move(PatientNavigation::Direction::Next);
    log_.clear();
    choice_ = 2;
    EXPECT_TRUE(navigation_->Move(PatientNavigation::Direction::Select));
    EXPECT_EQ(state_.CurPatient, 2);
    EXPECT_EQ(log_, (std::vector<std::string>{"save", "choose 0", "show 2"}));

    log_.clear();
    choice_.reset();
    EXPECT_FALSE(navigation_->Move(PatientNavigation::Direction::Select));
    EXPECT_EQ(state_.CurPatient, 2);
    EXPECT_EQ(log_, (std::vector<std::string>{"save", "choose 2"}));
    EXPECT_EQ(readings_[2].ReaderName.trimmed(), "reader1");

    // An index outside the folder is no choice.
    choice_ = 7;
    EXPECT_FALSE(navigation_->Move(PatientNavigation::Direction::Select));
    EXPECT_EQ(state_.CurPatient, 2);
}

TEST_F(Navigation, CaptionWithoutResultFileAndShowCurrentStampsNobody)
{
    open(3);
    state_.ResultFileName.clear();
    navigation_->Move(PatientNavigation::Direction::Next);
    EXPECT_EQ(caption_, "VANTORViewer");

    navigation_->Move(PatientNavigation::Direction::Next);
    navigation_->Move(PatientNavigation::Direction::Next);
    ASSERT_EQ(state_.CurPatient, 2);
    ClearReading(readings_[1]);
    readings_[1].ReaderName.reset();
    log_.clear();
    // After a restore the current patient is shown again; the patient before
    // it is not stamped as read by this reader.
    EXPECT_TRUE(navigation_->ShowCurrent());
    EXPECT_EQ(state_.CurPatient, 2);
    EXPECT_TRUE(readings_[1].ReaderName.isBlank());
    EXPECT_EQ(log_, (std::vector<std::string>{"save", "show 2"}));

    state_.CurPatient = -1;
    EXPECT_TRUE(navigation_->ShowCurrent());
    EXPECT_EQ(state_.CurPatient, 0);
}

TEST_F(Navigation, MovesKeepTheResultFileCurrentOnDisk)
{
    // The save callback as the main window wires it: the result file's Save.
    open(2);
    const auto folder =
        std::filesystem::temp_directory_path() / ("vantor-navigation-save-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    state_.TopFolder = (folder / "case1").string();
    state_.ResultFileName = ResultFile::defaultFileName(state_.TopFolder, state_.ReaderName);
    const MessagePresenter saved = messagePresenter();
    messagePresenter() = [](QWidget*, QMessageBox::Icon, const QString&, const QString& text,
                            QMessageBox::StandardButtons) {
        ADD_FAILURE() << text.toStdString();
        return QMessageBox::Ok;
    };
    ResultFile resultFile;
    PatientNavigation::Callbacks callbacks;
    callbacks.save = [&] { resultFile.Save(state_, readings_); };
    PatientNavigation navigation(state_, readings_, catalogue_, callbacks);
    navigation.Move(PatientNavigation::Direction::Next);
    readings_[0].Comment = "seen";
    navigation.Move(PatientNavigation::Direction::Next);

    Readings restored(2);
    ResultFile reader;
    ASSERT_TRUE(reader.ReadResults(state_, restored, state_.ResultFileName));
    EXPECT_EQ(restored[0].Comment.trimmed(), "seen");
    EXPECT_EQ(restored[0].ReaderName.trimmed(), "reader1");
    EXPECT_TRUE(restored[1].ReaderName.isBlank());
    messagePresenter() = saved;
    std::filesystem::remove_all(folder);
}
