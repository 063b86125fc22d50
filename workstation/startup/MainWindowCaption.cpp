#include "startup/MainWindowCaption.h"

#include <cstdio>

namespace vantor {

std::string patientDisplayName(int oneBasedNumber)
{
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05d", oneBasedNumber);
    return std::string("Patient_") + digits;
}

std::string mainWindowCaption(const WorkstationState& state)
{
    if (state.ResultFileName.empty())
        return "VANTORViewer";
    return "VANTOR_Viewer - " + state.ReadingDate + " " + state.ReaderName + " [ " + state.TopFolder + " ] (" +
           patientDisplayName(state.CurPatient + 1) + ")";
}

} // namespace vantor
