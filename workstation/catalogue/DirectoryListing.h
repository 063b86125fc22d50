#pragma once

#include <string>
#include <vector>

namespace vantor {

// The entries of one folder as the catalogue walk sees them: sub-folders and files,
// each sorted by name (case-insensitive, then by bytes) so that patient, study and
// series indices stay the same from one walk to the next. Hidden entries (name
// starting with ".") and system entries (neither regular file nor folder) are left out.
class DirectoryListing {
public:
    // Lists `folder`; an unreadable folder gives no entries and readable() false.
    explicit DirectoryListing(const std::string& folder);

    const std::vector<std::string>& folders() const { return m_folders; }
    const std::vector<std::string>& files() const { return m_files; }
    bool readable() const { return m_readable; }

    // The listing order: case-insensitive (ASCII letters), ties broken by bytes.
    static bool nameLess(const std::string& left, const std::string& right);

    // `folder` + "/" + `name`, without doubling a trailing "/".
    static std::string join(const std::string& folder, const std::string& name);

private:
    std::vector<std::string> m_folders;
    std::vector<std::string> m_files;
    bool m_readable = false;
};

} // namespace vantor
