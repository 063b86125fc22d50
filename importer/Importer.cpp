#include "VantorImporter/Importer.h"

#include "VantorImporter/DataFolderLayout.h"
#include "VantorImporter/InstanceHeader.h"
#include "VantorImporter/SourceWalk.h"

#include <ZVDICOM/ZQDICOM.h>

#include <filesystem>
#include <set>
#include <unordered_set>

#include <unistd.h>

namespace vantor::importing {

namespace {

namespace fs = std::filesystem;

// True when inner is outer or lies below it (both made absolute, links resolved
// where they exist).
bool inside(const fs::path& inner, const fs::path& outer)
{
    std::error_code error;
    const fs::path a = fs::weakly_canonical(fs::absolute(inner, error), error);
    const fs::path b = fs::weakly_canonical(fs::absolute(outer, error), error);
    auto left = a.begin();
    for (auto right = b.begin(); right != b.end(); ++right, ++left) {
        if (right->empty() && std::next(right) == b.end())
            break; // trailing "/"
        if (left == a.end() || *left != *right)
            return false;
    }
    return true;
}

// Folders made by this import, removed again when they stay empty (a
// cancelled or failed import must not leave an empty level, which the
// catalogue walk refuses).
class MadeFolders {
public:
    std::error_code make(const fs::path& dataFolder, const std::string& relativeFolder)
    {
        fs::path path = dataFolder;
        for (const auto& part : fs::path(relativeFolder)) {
            path /= part;
            std::error_code error;
            if (fs::create_directory(path, error))
                made_.push_back(path);
            else if (error)
                return error;
        }
        return {};
    }
    void removeEmpty()
    {
        for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
            std::error_code ignored;
            if (fs::is_empty(*folder, ignored))
                fs::remove(*folder, ignored);
        }
    }

private:
    std::vector<fs::path> made_;
};

std::string temporaryName(const fs::path& target, std::size_t number)
{
    return (target.parent_path() /
            ("." + target.filename().string() + ".import-" + std::to_string(::getpid()) + "-" + std::to_string(number)))
        .string();
}

void countFolders(ImportReport& report)
{
    std::set<std::string> patients;
    std::set<std::string> series;
    for (const PlannedCopy& copy : report.copies) {
        const fs::path relative(copy.target);
        patients.insert(relative.begin()->string());
        series.insert(relative.parent_path().string());
    }
    report.patients = patients.size();
    report.series = series.size();
}

} // namespace

ImportReport runImport(const ImportRequest& request, const ProgressFunction& progress)
{
    ImportReport report;
    ImportProgress step;
    const auto keepGoing = [&](ImportProgress::Stage stage, std::size_t done, std::size_t total,
                               const std::string& path) {
        if (!progress)
            return true;
        step.stage = stage;
        step.done = done;
        step.total = total;
        step.path = path;
        return progress(step);
    };
    const auto cancelled = [&report] {
        report.outcome = ImportReport::Outcome::Cancelled;
        return report;
    };

    if (request.sources.empty()) {
        report.failure = "No source folder was given.";
        return report;
    }
    for (const std::string& source : request.sources) {
        std::error_code error;
        if (!fs::exists(source, error)) {
            report.failure = "The source " + source + " does not exist.";
            return report;
        }
        if (inside(request.dataFolder, source)) {
            report.failure = "The data folder " + request.dataFolder + " lies inside the source " + source +
                             ". Choose a data folder outside it.";
            return report;
        }
    }
    std::error_code error;
    if (fs::exists(request.dataFolder, error) && !fs::is_directory(request.dataFolder, error)) {
        report.failure = "The data folder " + request.dataFolder + " is not a folder.";
        return report;
    }

    ZQDICOM dicom;
    DataFolderLayout layout;
    std::size_t existing = 0;
    if (!layout.read(request.dataFolder, dicom, [&](const std::string& path) {
            return keepGoing(ImportProgress::Stage::ReadingDataFolder, existing++, 0, path);
        }))
        return cancelled();

    std::vector<std::string> files;
    for (const std::string& source : request.sources) {
        bool stopped = false;
        SourceFiles found = walkSource(source, [&] {
            stopped = !keepGoing(ImportProgress::Stage::WalkingSources, files.size(), 0, source);
            return !stopped;
        });
        if (stopped)
            return cancelled();
        files.insert(files.end(), found.files.begin(), found.files.end());
        report.unreadable.insert(report.unreadable.end(), found.unreadable.begin(), found.unreadable.end());
        report.missingReferences.insert(report.missingReferences.end(), found.missingReferences.begin(),
                                        found.missingReferences.end());
        report.notRegular += found.notRegular;
    }

    // Plan: every file's header, then its place.
    std::unordered_set<std::string> seen;
    InstanceHeader header;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const std::string& path = files[index];
        if (!keepGoing(ImportProgress::Stage::ReadingHeaders, index, files.size(), path))
            return cancelled();
        switch (readInstanceHeader(dicom, path, header)) {
        case HeaderKind::NotDicom:
            // A file that cannot be opened is unreadable rather than foreign.
            if (::access(path.c_str(), R_OK) != 0)
                report.unreadable.push_back(path + ": " + std::error_code(errno, std::generic_category()).message());
            else
                ++report.notDicom;
            continue;
        case HeaderKind::DirectoryFile:
            ++report.directoryFiles;
            continue;
        case HeaderKind::NoPixelData:
            ++report.noPixelData;
            continue;
        case HeaderKind::MissingIdentifiers:
            ++report.missingIdentifiers;
            continue;
        case HeaderKind::Image:
            break;
        }
        if (!seen.insert(header.sopInstanceUid).second) {
            ++report.duplicates;
            continue;
        }
        if (layout.containsInstance(header.sopInstanceUid)) {
            ++report.alreadyPresent;
            continue;
        }
        report.copies.push_back({path, layout.place(header)});
    }
    if (request.dryRun) {
        countFolders(report);
        report.outcome = ImportReport::Outcome::Complete;
        return report;
    }

    const fs::path dataFolder(request.dataFolder);
    if (fs::create_directories(dataFolder, error); error) {
        report.failure = "The data folder " + request.dataFolder + " cannot be made: " + error.message() + ".";
        return report;
    }
    MadeFolders made;
    std::vector<PlannedCopy> written;
    const auto finish = [&](ImportReport::Outcome outcome) {
        made.removeEmpty();
        report.copies = std::move(written);
        countFolders(report);
        report.outcome = outcome;
        return report;
    };
    for (std::size_t index = 0; index < report.copies.size(); ++index) {
        const PlannedCopy& copy = report.copies[index];
        if (!keepGoing(ImportProgress::Stage::Copying, index, report.copies.size(), copy.source))
            return finish(ImportReport::Outcome::Cancelled);
        const fs::path target = dataFolder / copy.target;
        if (std::error_code made_error = made.make(dataFolder, fs::path(copy.target).parent_path().string())) {
            report.failure = "The folder " + target.parent_path().string() + " cannot be made: " +
                             made_error.message() + ". The import stopped; " + std::to_string(report.imported) +
                             " images were imported before.";
            return finish(ImportReport::Outcome::Failed);
        }
        const std::string temporary = temporaryName(target, index);
        const WriteOutcome outcome = request.writeFile(copy.source, temporary);
        std::error_code placed;
        if (!outcome.error)
            placed = renameWithoutReplacing(temporary, target.string());
        if (outcome.error || placed) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            if (outcome.sourceFailed) {
                report.unreadable.push_back(copy.source + ": " + outcome.error.message());
                continue;
            }
            report.failure = "Writing " + target.string() + " failed: " +
                             (outcome.error ? outcome.error : placed).message() + ". The import stopped; " +
                             std::to_string(report.imported) + " images were imported before it, whole.";
            return finish(ImportReport::Outcome::Failed);
        }
        ++report.imported;
        written.push_back(copy);
    }
    keepGoing(ImportProgress::Stage::Copying, report.copies.size(), report.copies.size(), {});
    return finish(ImportReport::Outcome::Complete);
}

} // namespace vantor::importing
