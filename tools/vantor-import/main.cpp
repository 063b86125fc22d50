// vantor-import [options] SOURCE... DATA_FOLDER
//
// Puts the DICOM images of folders or discs into a data folder laid out as
// patient / study / series / slice files, and says what it skipped and why.

#include <VantorImporter/Importer.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::atomic<bool> interrupted{false};

void onInterrupt(int) { interrupted = true; }

void usage(std::FILE* stream)
{
    std::fputs("usage: vantor-import [options] SOURCE... DATA_FOLDER\n"
               "\n"
               "Copies the DICOM images found below each SOURCE (a folder, a disc's mount point,\n"
               "or a file; a DICOMDIR is read when present) into DATA_FOLDER/<patient>/<study>/<series>/.\n"
               "Images already in DATA_FOLDER are skipped; the sources are never changed.\n"
               "\n"
               "  --dry-run   print the plan (source -> target) without writing anything\n"
               "  --quiet     print nothing but errors\n"
               "  --help      this text\n"
               "\n"
               "Exit status: 0 done, 1 failed (the message says why), 2 bad usage, 130 interrupted.\n",
               stream);
}

const char* stageName(vantor::importing::ImportProgress::Stage stage)
{
    using Stage = vantor::importing::ImportProgress::Stage;
    switch (stage) {
    case Stage::ReadingDataFolder: return "reading the data folder";
    case Stage::WalkingSources: return "looking for files";
    case Stage::ReadingHeaders: return "reading headers";
    case Stage::Copying: return "copying";
    }
    return "";
}

} // namespace

int main(int argc, char** argv)
{
    using namespace vantor::importing;
    ImportRequest request;
    bool quiet = false;
    std::vector<std::string> paths;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            usage(stdout);
            return 0;
        }
        if (argument == "--dry-run")
            request.dryRun = true;
        else if (argument == "--quiet")
            quiet = true;
        else if (argument == "--")
            for (++index; index < argc; ++index)
                paths.emplace_back(argv[index]);
        else if (argument.size() > 1 && argument.front() == '-') {
            std::fprintf(stderr, "vantor-import: unknown option %s\n", argument.c_str());
            usage(stderr);
            return 2;
        } else
            paths.push_back(argument);
    }
    if (paths.size() < 2) {
        usage(stderr);
        return 2;
    }
    request.dataFolder = paths.back();
    paths.pop_back();
    request.sources = std::move(paths);

    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const bool terminal = !quiet && ::isatty(STDERR_FILENO);
    auto lastShown = std::chrono::steady_clock::now();
    bool shown = false;
    const auto progress = [&](const ImportProgress& step) {
        if (terminal) {
            const auto now = std::chrono::steady_clock::now();
            if (now - lastShown > std::chrono::milliseconds(100) || (step.total > 0 && step.done == step.total)) {
                lastShown = now;
                shown = true;
                if (step.total > 0)
                    std::fprintf(stderr, "\r\033[K%s %zu/%zu", stageName(step.stage), step.done, step.total);
                else
                    std::fprintf(stderr, "\r\033[K%s %zu", stageName(step.stage), step.done);
            }
        }
        return !interrupted.load();
    };
    const ImportReport report = runImport(request, progress);
    if (shown)
        std::fputs("\r\033[K", stderr);

    if (request.dryRun && report.outcome == ImportReport::Outcome::Complete)
        for (const PlannedCopy& copy : report.copies)
            std::cout << copy.source << " -> " << request.dataFolder << '/' << copy.target << '\n';
    if (report.outcome == ImportReport::Outcome::Failed) {
        std::cerr << "vantor-import: " << summaryText(report, request.dataFolder, request.dryRun);
        return 1;
    }
    if (!quiet || report.outcome == ImportReport::Outcome::Cancelled)
        std::cout << summaryText(report, request.dataFolder, request.dryRun);
    return report.outcome == ImportReport::Outcome::Cancelled ? 130 : 0;
}
