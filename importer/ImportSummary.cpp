#include "VantorImporter/Importer.h"

#include <sstream>

namespace vantor::importing {

namespace {

// At most this many paths of one kind are listed; the count says the rest.
constexpr std::size_t kListedPaths = 10;

void countLine(std::ostringstream& text, std::size_t count, const char* what)
{
    if (count > 0)
        text << "  " << count << ' ' << what << '\n';
}

void pathLines(std::ostringstream& text, const std::vector<std::string>& paths, const char* heading)
{
    if (paths.empty())
        return;
    text << heading << " (" << paths.size() << "):\n";
    for (std::size_t index = 0; index < paths.size() && index < kListedPaths; ++index)
        text << "  " << paths[index] << '\n';
    if (paths.size() > kListedPaths)
        text << "  ... and " << paths.size() - kListedPaths << " more\n";
}

} // namespace

std::string summaryText(const ImportReport& report, const std::string& dataFolder, bool dryRun)
{
    std::ostringstream text;
    if (report.outcome == ImportReport::Outcome::Failed && report.copies.empty() && report.imported == 0)
        return report.failure + '\n'; // refused before anything was written
    const std::size_t images = dryRun ? report.copies.size() : report.imported;
    text << (dryRun ? "Would import " : "Imported ") << images << (images == 1 ? " image" : " images") << " into "
         << report.series << " series of " << report.patients << (report.patients == 1 ? " patient" : " patients")
         << " in " << dataFolder << ".\n";
    if (report.outcome == ImportReport::Outcome::Cancelled)
        text << "The import was cancelled; what was imported before stays.\n";
    if (report.outcome == ImportReport::Outcome::Failed)
        text << report.failure << '\n';
    const std::size_t skipped = report.alreadyPresent + report.duplicates + report.notDicom + report.directoryFiles +
                                report.noPixelData + report.missingIdentifiers + report.notRegular +
                                report.unreadable.size();
    if (skipped > 0) {
        text << "Skipped:\n";
        countLine(text, report.alreadyPresent, "already in the data folder");
        countLine(text, report.duplicates, "copies of an image met before");
        countLine(text, report.notDicom, "not DICOM");
        countLine(text, report.directoryFiles, "DICOMDIR or other directory files");
        countLine(text, report.noPixelData, "without pixel data");
        countLine(text, report.missingIdentifiers, "without SOP Instance, Study or Series UID");
        countLine(text, report.notRegular, "not regular files (pipes, devices)");
        countLine(text, report.unreadable.size(), "unreadable");
    }
    pathLines(text, report.unreadable, "Unreadable");
    pathLines(text, report.missingReferences, "Listed in a DICOMDIR but missing");
    return text.str();
}

} // namespace vantor::importing
