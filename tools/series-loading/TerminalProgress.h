#pragma once

#include "SeriesLoading.h"

#include <string>

class VazAZUrorav;
class ZQDICOM;

namespace vantor {

// A progress line for command-line tools: "<what>: n / total" rewritten in
// place on a terminal (standard error), nothing when standard error is not
// a terminal, so that logs and tests see only the results and the errors.
class TerminalProgress {
public:
    TerminalProgress();
    ~TerminalProgress();
    void show(const std::string& what, int done, int total);
    void step(const std::string& what);
    void finish();

private:
    bool terminal_ = false;
    bool open_ = false;
};

// The series loading of the command-line tools: the workstation's
// registration with the file count on the terminal; the files it skips and a
// failure are written to standard error after "<program>: ". False when
// nothing could be loaded.
bool loadSeriesForTool(const char* program, const std::string& folder, ZQDICOM& dicom, VazAZUrorav& engine,
                       LoadedSeries& loaded, TerminalProgress& progress,
                       SliceOrdering ordering = SliceOrdering::ImageNumber);

} // namespace vantor
