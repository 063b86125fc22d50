#pragma once

#include "startup/WorkstationState.h"

#include <string>

namespace vantor {

// "VANTORViewer" before a result file exists; afterwards
// "VANTOR_Viewer - YYYY/MM/DD reader [ folder ] (Patient_00001)".
std::string mainWindowCaption(const WorkstationState& state);

// "Patient_" + n in at least five digits.
std::string patientDisplayName(int oneBasedNumber);

} // namespace vantor
