#include "TerminalProgress.h"

#include "SeriesLoading.h"

#include <cstdio>
#include <unistd.h>

namespace vantor {

TerminalProgress::TerminalProgress() : terminal_(isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() { finish(); }

void TerminalProgress::show(const std::string& what, int done, int total)
{
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r\033[K%s: %d / %d", what.c_str(), done, total);
    std::fflush(stderr);
    open_ = true;
}

void TerminalProgress::step(const std::string& what)
{
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r\033[K%s ...", what.c_str());
    std::fflush(stderr);
    open_ = true;
}

void TerminalProgress::finish()
{
    if (open_)
        std::fprintf(stderr, "\r\033[K");
    open_ = false;
}

bool loadSeriesForTool(const char* program, const std::string& folder, ZQDICOM& dicom, VazAZUrorav& engine,
                       LoadedSeries& loaded, TerminalProgress& progress, SliceOrdering ordering)
{
    std::string error;
    const bool registered = loadSeries(folder, ordering, dicom, engine, loaded, error,
                                       [&progress](int file, int count) { progress.show("registering", file, count); });
    progress.finish();
    if (!registered) {
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
        return false;
    }
    for (const std::string& message : loaded.messages)
        std::fprintf(stderr, "%s: %s\n", program, message.c_str());
    return true;
}

} // namespace vantor
