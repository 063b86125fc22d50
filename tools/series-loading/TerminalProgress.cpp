#include "TerminalProgress.h"

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

} // namespace vantor
