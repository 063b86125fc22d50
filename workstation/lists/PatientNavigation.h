#pragma once

#include "reading/ReadingRecord.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantor {

struct Catalogue;
struct PatientEntry;
struct WorkstationState;

// Moving the current patient of the opened folder: the reading of the patient
// being left is stamped and saved first, then the new patient is shown. The
// class holds no screen; the main window gives it callbacks for everything it
// shows, in the order the move performs them.
class PatientNavigation {
public:
    // Numbered as the elements of the main window's btnMovePatient array.
    enum class Direction { Next = 0, Prev = 1, Select = 2 };

    struct ButtonStates {
        bool Prev = false;
        bool Next = false;
        bool Select = true;
        bool operator==(const ButtonStates&) const = default;
    };

    struct Callbacks {
        // "&Save" of the result file (writes nothing without a current result file).
        std::function<void()> save;
        // The patient selection window: the chosen index, or nothing on Cancel.
        std::function<std::optional<int>(int preselected)> choosePatient;
        // Shows the reading form for the patient.
        std::function<void(int patient)> showReading;
        std::function<void(const ButtonStates&)> setButtons;
        std::function<void(const std::string& caption)> setCaption;
        // Refills the study chooser with these entries, selects the first (which
        // shows that study's series) and the first tab of the reading form.
        std::function<void(const std::vector<std::string>& studyDates)> showStudies;
    };

    PatientNavigation(WorkstationState& state, Readings& readings, const Catalogue& catalogue,
                      Callbacks callbacks = {});

    void setCallbacks(Callbacks callbacks) { callbacks_ = std::move(callbacks); }

    // Stamps and saves the patient being left, then moves. Prev and Next at the
    // ends keep the patient (still stamped and saved); Next with no current
    // patient shows the first. Select with Cancel stops after the save.
    // True when a patient was shown.
    bool Move(Direction direction);

    // Shows the current patient again (the first when none is current) after
    // the readings were replaced by a restore: saves, but stamps nobody, since
    // the restored records carry their own readers. True when a patient was shown.
    bool ShowCurrent();

    // "Prev" and "Next" for a patient index among patientCount patients.
    static ButtonStates buttonStates(int patient, int patientCount);
    // One study chooser entry per study, in catalogue order: its StudyDate.
    static std::vector<std::string> studyChoices(const PatientEntry& patient);

private:
    void show();

    WorkstationState& state_;
    Readings& readings_;
    const Catalogue& catalogue_;
    Callbacks callbacks_;
};

} // namespace vantor
