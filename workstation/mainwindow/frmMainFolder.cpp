// Opening a data folder, its reading-result file and moving between patients.
#include "mainwindow/frmMain.h"

#include "catalogue/frmSelectFolder.h"
#include "display/SeriesDisplay.h"
#include "importing/ImportWindow.h"
#include "lists/PatientNavigation.h"
#include "lists/frmPatientList.h"
#include "lists/frmSelectPA.h"
#include "mainwindow/ControlDesign.h"
#include "reading/ReadingForm.h"
#include "reading/ReadingRecordOperations.h"
#include "reading/ResultFile.h"
#include "startup/MessageBoxes.h"
#include "startup/SettingsKeys.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>

namespace vantor {

void frmMain::buildPatientNavigation()
{
    patientNavigation_ = std::make_unique<PatientNavigation>(state_, readings_, catalogue_);
    PatientNavigation::Callbacks callbacks;
    callbacks.save = [this] { resultFile_->Save(state_, readings_, this); };
    callbacks.choosePatient = [this](int preselected) {
        return frmSelectPA::choose(catalogue_, readings_, preselected, this);
    };
    callbacks.showReading = [this](int patient) { readingForm_->ShowReading(patient); };
    callbacks.setButtons = [this](const PatientNavigation::ButtonStates& states) {
        control("btnMovePatient(1)")->setEnabled(states.Prev);
        control("btnMovePatient(0)")->setEnabled(states.Next);
        control("btnMovePatient(2)")->setEnabled(states.Select);
    };
    callbacks.setCaption = [this](const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); };
    callbacks.showStudies = [this](const std::vector<std::string>& studyDates) {
        auto* studies = qobject_cast<QComboBox*>(control("comboStudyList"));
        {
            const QSignalBlocker quiet(studies);
            studies->clear();
            for (const auto& date : studyDates)
                studies->addItem(QString::fromStdString(date));
            studies->setCurrentIndex(studies->count() > 0 ? 0 : -1);
        }
        if (studies->count() > 0)
            seriesDisplay_->chooseStudy(0);
        else
            seriesDisplay_->resetThumbnails();
        readingForm_->SSTab1()->setCurrentIndex(0);
    };
    patientNavigation_->setCallbacks(std::move(callbacks));

    saveReadingAtExit = [this] { resultFile_->Save(state_, readings_, this); };
}

void frmMain::openFolder() { openFolderAt(state_.TopFolder.empty() ? initialFolder_ : state_.TopFolder); }

void frmMain::importDicom()
{
    if (const std::optional<QString> folder =
            importDicomMedia(this, QString::fromStdString(state_.TopFolder.empty() ? initialFolder_ : state_.TopFolder)))
        openFolderAt(folder->toStdString());
}

void frmMain::openFolderAt(const std::string& folder)
{
    frmSelectFolder chooser(ZQDICOM1, this);
    chooser.setPersonalDisp(state_.PersonalDisp);
    chooser.setHelpFolder(QString::fromStdString(state_.AppDir + "help"));
    chooser.setInitialFolder(QString::fromStdString(folder));
    if (chooser.exec() != QDialog::Accepted || !chooser.Success())
        return;
    std::optional<DisplayNameTable> names = chooser.displayNames();
    openCatalogue(chooser.ChosenFolder().toStdString(), chooser.takeCatalogue(), std::move(names));
}

void frmMain::openCatalogue(const std::string& folder, Catalogue catalogue,
                            std::optional<DisplayNameTable> displayNames)
{
    // The reading being left is kept before the folder changes.
    if (saveReadingAtExit && state_.FolderOpened)
        saveReadingAtExit();
    catalogue_ = std::move(catalogue);
    displayNames_ = std::move(displayNames);
    state_.TopFolder = folder;

    state_.ResultFileName = ResultFile::defaultFileName(folder, state_.ReaderName);
    std::error_code error;
    const bool earlierFile = std::filesystem::exists(state_.ResultFileName, error);
    bool restore = earlierFile && ResultFile::askRestore(state_.ReaderName, folder, this);
    // "No" clears the readings: the earlier file is kept first, and when it
    // cannot be kept the readings are restored instead of being lost.
    if (earlierFile && !restore && !ResultFile::keepBackup(state_.ResultFileName)) {
        showMessage(this, QMessageBox::Warning, ResultFile::Caption,
                    ResultFile::backupFailedMessage(state_.ResultFileName));
        restore = true;
    }

    seriesDisplay_->resetThumbnails();
    {
        auto* studies = qobject_cast<QComboBox*>(control("comboStudyList"));
        const QSignalBlocker quiet(studies);
        studies->clear();
    }
    readings_.assign(catalogue_.Patients.size(), ReadingRecord{});
    for (auto& record : readings_)
        ClearReading(record);
    resultFile_->reset();
    state_.CurPatient = -1;
    state_.FolderOpened = true;

    for (const char* name : {"mnuView", "mnuTools", "mnuFKeyReset", "mnuFileOpenResults", "mnuFileSave",
                             "mnuFileSaveAs"})
        menuEntry(name)->setEnabled(true);
    control("btnReport")->setEnabled(true);
    control("btnMovePatient(2)")->setEnabled(true);
    // Until a patient is shown, "Next" leads to the first one.
    control("btnMovePatient(0)")->setEnabled(!catalogue_.Patients.empty());
    control("btnMovePatient(1)")->setEnabled(false);

    if (!restore)
        patientNavigation_->Move(PatientNavigation::Direction::Next);
    else if (resultFile_->ReadResults(state_, readings_, state_.ResultFileName, this))
        patientNavigation_->ShowCurrent();
    // A refused restore leaves no patient current; the patient buttons lead on.
}

void frmMain::movePatient(int step)
{
    patientNavigation_->Move(step < 0 ? PatientNavigation::Direction::Prev : PatientNavigation::Direction::Next);
}

void frmMain::selectPatient() { patientNavigation_->Move(PatientNavigation::Direction::Select); }

void frmMain::saveResults()
{
    resultFile_->Save(state_, readings_, this);
    if (state_.CurPatient >= 0)
        refreshCaption();
}

void frmMain::saveResultsAs()
{
    const std::string chosen = ResultFile::askSaveAsName(state_.ResultFileName, this);
    if (!chosen.empty() && resultFile_->SaveAs(state_, readings_, chosen, this))
        refreshCaption();
}

void frmMain::openResults()
{
    const std::string chosen = ResultFile::askOpenName(this);
    if (!chosen.empty() && resultFile_->ReadResults(state_, readings_, chosen, this))
        patientNavigation_->ShowCurrent();
}

void frmMain::showPatientList()
{
    if (!displayNames_)
        return; // names are shown as found: there is nothing behind them
    frmPatientList list(*displayNames_, this);
    list.setExportFolder(QString::fromStdString(std::filesystem::path(state_.TopFolder).parent_path().string()));
    list.exec();
}

} // namespace vantor
