// Opening a data folder and moving between its patients.
#include "mainwindow/frmMain.h"

#include "catalogue/frmSelectFolder.h"
#include "display/SeriesDisplay.h"
#include "mainwindow/ControlDesign.h"
#include "reading/ReadingForm.h"
#include "reading/ReadingRecordOperations.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QTabWidget>

namespace vantor {

void frmMain::openFolder()
{
    frmSelectFolder chooser(ZQDICOM1, this);
    chooser.setPersonalDisp(state_.PersonalDisp);
    chooser.setHelpFolder(QString::fromStdString(state_.AppDir + "help"));
    chooser.setInitialFolder(QString::fromStdString(state_.TopFolder.empty() ? initialFolder_ : state_.TopFolder));
    if (chooser.exec() != QDialog::Accepted || !chooser.Success())
        return;
    std::optional<DisplayNameTable> names = chooser.displayNames();
    openCatalogue(chooser.ChosenFolder().toStdString(), chooser.takeCatalogue(), std::move(names));
}

void frmMain::openCatalogue(const std::string& folder, Catalogue catalogue,
                            std::optional<DisplayNameTable> displayNames)
{
    catalogue_ = std::move(catalogue);
    displayNames_ = std::move(displayNames);
    state_.TopFolder = folder;

    seriesDisplay_->resetThumbnails();
    readings_.assign(catalogue_.Patients.size(), ReadingRecord{});
    for (auto& record : readings_)
        ClearReading(record);
    state_.CurPatient = -1;
    state_.FolderOpened = true;

    for (const char* name : {"mnuView", "mnuTools", "mnuFKeyReset"})
        menuEntry(name)->setEnabled(true);
    control("btnReport")->setEnabled(true);
    control("btnMovePatient(2)")->setEnabled(true);
    movePatient(+1);
}

void frmMain::movePatient(int step)
{
    if (state_.CurPatient >= 0)
        StampReader(readings_, state_.CurPatient, state_);
    const int count = catalogue_.PatientCount();
    if (count < 1)
        return;
    if (step < 0 && state_.CurPatient > 0)
        --state_.CurPatient;
    if (step > 0 && (state_.CurPatient < count - 1 || state_.CurPatient < 0))
        ++state_.CurPatient;
    readingForm_->ShowReading(state_.CurPatient);

    auto* previous = control("btnMovePatient(1)");
    auto* next = control("btnMovePatient(0)");
    previous->setEnabled(count > 1 && state_.CurPatient > 0);
    next->setEnabled(count > 1 && state_.CurPatient < count - 1);
    refreshCaption();

    auto* studies = qobject_cast<QComboBox*>(control("comboStudyList"));
    {
        const QSignalBlocker quiet(studies);
        studies->clear();
        for (const auto& study : catalogue_.Patients[static_cast<std::size_t>(state_.CurPatient)].Studies)
            studies->addItem(QString::fromStdString(study.StudyDate));
        studies->setCurrentIndex(studies->count() > 0 ? 0 : -1);
    }
    if (studies->count() > 0)
        seriesDisplay_->chooseStudy(0);
    readingForm_->SSTab1()->setCurrentIndex(0);
}

} // namespace vantor
