#pragma once

#include <string>

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

} // namespace vantor
