#include "catalogue/DirectoryListing.h"

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace vantor {

namespace {

unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

} // namespace

bool DirectoryListing::nameLess(const std::string& left, const std::string& right)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char a = lowerAscii(static_cast<unsigned char>(left[i]));
        const unsigned char b = lowerAscii(static_cast<unsigned char>(right[i]));
        if (a != b)
            return a < b;
    }
    if (left.size() != right.size())
        return left.size() < right.size();
    // Equal without case: bytes decide, so the order is total and repeatable.
    return std::lexicographical_compare(
        left.begin(), left.end(), right.begin(), right.end(),
        [](char a, char b) { return static_cast<unsigned char>(a) < static_cast<unsigned char>(b); });
}

std::string DirectoryListing::join(const std::string& folder, const std::string& name)
{
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

DirectoryListing::DirectoryListing(const std::string& folder)
{
    DIR* directory = ::opendir(folder.c_str());
    if (directory == nullptr)
        return;
    m_readable = true;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name = entry->d_name;
        // Hidden entries, "." and ".." included.
        if (name.empty() || name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // A link counts as what it points to; a dangling one is a system entry.
            struct stat status {};
            if (::stat(join(folder, name).c_str(), &status) != 0)
                continue;
            type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR)
            m_folders.push_back(name);
        else if (type == DT_REG)
            m_files.push_back(name);
    }
    ::closedir(directory);
    std::sort(m_folders.begin(), m_folders.end(), nameLess);
    std::sort(m_files.begin(), m_files.end(), nameLess);
}

} // namespace vantor
