#include "lists/PatientNavigation.h"

#include "catalogue/Catalogue.h"
#include "reading/ReadingRecordOperations.h"
#include "startup/MainWindowCaption.h"
#include "startup/WorkstationState.h"

namespace vantor {

PatientNavigation::PatientNavigation(WorkstationState& state, Readings& readings, const Catalogue& catalogue,
                                     Callbacks callbacks)
    : state_(state), readings_(readings), catalogue_(catalogue), callbacks_(std::move(callbacks))
{
}

bool PatientNavigation::Move(Direction direction)
{
    const int count = catalogue_.PatientCount();
    int current = state_.CurPatient;
    // A stale index (readings of another folder) is treated as no patient.
    if (current >= count)
        current = -1;

    if (current >= 0)
        StampReader(readings_, current, state_);
    if (callbacks_.save)
        callbacks_.save();
    if (count < 1)
        return false;

    switch (direction) {
    case Direction::Prev:
        if (current > 0)
            --current;
        break;
    case Direction::Next:
        if (current < count - 1)
            ++current;
        break;
    case Direction::Select: {
        if (!callbacks_.choosePatient)
            return false;
        const std::optional<int> chosen = callbacks_.choosePatient(current);
        if (!chosen || *chosen < 0 || *chosen >= count)
            return false;
        current = *chosen;
        break;
    }
    }
    // Prev with no current patient stays without one: nothing to show.
    if (current < 0)
        return false;
    state_.CurPatient = static_cast<std::int16_t>(current);
    show();
    return true;
}

bool PatientNavigation::ShowCurrent()
{
    const int count = catalogue_.PatientCount();
    if (callbacks_.save)
        callbacks_.save();
    if (count < 1)
        return false;
    if (state_.CurPatient < 0 || state_.CurPatient >= count)
        state_.CurPatient = 0;
    show();
    return true;
}

void PatientNavigation::show()
{
    const int patient = state_.CurPatient;
    if (callbacks_.showReading)
        callbacks_.showReading(patient);
    if (callbacks_.setButtons)
        callbacks_.setButtons(buttonStates(patient, catalogue_.PatientCount()));
    if (callbacks_.setCaption)
        callbacks_.setCaption(mainWindowCaption(state_));
    if (callbacks_.showStudies)
        callbacks_.showStudies(studyChoices(catalogue_.Patients[static_cast<std::size_t>(patient)]));
}

PatientNavigation::ButtonStates PatientNavigation::buttonStates(int patient, int patientCount)
{
    ButtonStates states;
    if (patientCount > 1) {
        states.Prev = patient > 0;
        states.Next = patient < patientCount - 1;
    }
    return states;
}

std::vector<std::string> PatientNavigation::studyChoices(const PatientEntry& patient)
{
    std::vector<std::string> choices;
    choices.reserve(patient.Studies.size());
    for (const StudyEntry& study : patient.Studies)
        choices.push_back(study.StudyDate);
    return choices;
}

} // namespace vantor
