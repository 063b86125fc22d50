#pragma once

#include <functional>
#include <string>
#include <system_error>

namespace vantor::importing {

// What writing one file came to. A source that cannot be read is the
// source's fault (that file is skipped); any other failure is the data
// folder's (a full disk, no permission) and stops the import.
struct WriteOutcome {
    std::error_code error;
    bool sourceFailed = false;
};

// Writes a new file at targetPath (which must not exist) holding the bytes of
// sourcePath. The import hands it a temporary name and renames the result.
using WriteFunction = std::function<WriteOutcome(const std::string& sourcePath, const std::string& targetPath)>;

// The default WriteFunction: an in-kernel copy where the file systems allow
// it, read and write otherwise.
WriteOutcome copyFileContents(const std::string& sourcePath, const std::string& targetPath);

// Renames without replacing: fails with file_exists when finalPath exists.
std::error_code renameWithoutReplacing(const std::string& temporaryPath, const std::string& finalPath);

} // namespace vantor::importing
