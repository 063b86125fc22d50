#include "VantorImporter/SourceWalk.h"

#include "VantorImporter/DicomDirectory.h"

#include <algorithm>
#include <filesystem>
#include <unordered_set>

namespace vantor::importing {

namespace {

namespace fs = std::filesystem;

bool sameWithoutCase(const std::string& left, const std::string& right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

// A file ID component on disc: as written, or in another case (discs are
// often mounted with lower-case names), or with an ISO 9660 version ";1".
bool findComponent(const fs::path& folder, const std::string& component, fs::path& found)
{
    std::error_code error;
    if (fs::exists(folder / component, error)) {
        found = folder / component;
        return true;
    }
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (name.size() > 2 && name.compare(name.size() - 2, 2, ";1") == 0)
            name.resize(name.size() - 2);
        if (sameWithoutCase(name, component)) {
            found = entry->path();
            return true;
        }
    }
    return false;
}

class Walk {
public:
    Walk(SourceFiles& result, const std::function<bool()>& keepGoing) : result_(result), keepGoing_(keepGoing) {}

    void folder(const fs::path& path)
    {
        if (stopped_ || (keepGoing_ && !keepGoing_())) {
            stopped_ = true;
            return;
        }
        std::vector<fs::directory_entry> entries;
        std::error_code error;
        for (fs::directory_iterator entry(path, error), end; !error && entry != end; entry.increment(error))
            entries.push_back(*entry);
        if (error) {
            result_.unreadable.push_back(path.string() + ": " + error.message());
            return;
        }
        std::sort(entries.begin(), entries.end(),
                  [](const auto& left, const auto& right) { return left.path().filename() < right.path().filename(); });
        // The directory's own list first, so that its order leads.
        for (const auto& entry : entries)
            if (sameWithoutCase(entry.path().filename().string(), "DICOMDIR") && entry.is_regular_file(error))
                dicomDirectory(entry.path());
        for (const auto& entry : entries) {
            const fs::file_status own = entry.symlink_status(error);
            if (fs::is_directory(own)) {
                folder(entry.path());
                continue;
            }
            const fs::file_status target = entry.status(error);
            if (fs::is_regular_file(target))
                file(entry.path());
            else if (fs::is_symlink(own) && !fs::exists(target))
                result_.unreadable.push_back(entry.path().string() + ": " +
                                             (error ? error.message() : std::string("a link to nothing")));
            else if (!fs::is_directory(target))
                ++result_.notRegular;
        }
    }

    void file(const fs::path& path)
    {
        if (taken_.insert(path.lexically_normal().string()).second)
            result_.files.push_back(path.string());
    }

private:
    void dicomDirectory(const fs::path& path)
    {
        result_.directoryFiles.push_back(path.string());
        const DicomDirectoryReferences references = readDicomDirectoryFile(path.string());
        for (const auto& components : references.fileIds) {
            fs::path location = path.parent_path();
            bool present = true;
            for (const std::string& component : components) {
                // A component is one name: a DICOMDIR must not reach outside its file-set.
                if (component == "." || component == ".." || component.find_first_of(std::string("/\0", 2)) != std::string::npos ||
                    !findComponent(location, component, location)) {
                    present = false;
                    break;
                }
            }
            std::error_code error;
            if (present && fs::is_regular_file(location, error)) {
                file(location);
            } else {
                std::string listed = path.parent_path().string();
                for (const std::string& component : components)
                    listed += "/" + component;
                result_.missingReferences.push_back(listed);
            }
        }
    }

    SourceFiles& result_;
    const std::function<bool()>& keepGoing_;
    std::unordered_set<std::string> taken_;
    bool stopped_ = false;
};

} // namespace

SourceFiles walkSource(const std::string& source, const std::function<bool()>& keepGoing)
{
    SourceFiles result;
    Walk walk(result, keepGoing);
    std::error_code error;
    const fs::path path(source);
    if (fs::is_directory(path, error))
        walk.folder(path);
    else if (fs::is_regular_file(path, error))
        walk.file(path);
    else
        result.unreadable.push_back(source + ": " + (error ? error.message() : std::string("no such file or folder")));
    return result;
}

} // namespace vantor::importing
