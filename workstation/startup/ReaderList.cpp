#include "startup/ReaderList.h"

#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"

#include <algorithm>

namespace vantor {

std::string ReaderList::limitedName(const std::string& name)
{
    return truncateAtCharacterBoundary(name, kMaximumNameLength);
}

ReaderList::Validation ReaderList::validate(const std::string& name) const
{
    const auto first = name.find_first_not_of(' ');
    if (first == std::string::npos)
        return Validation::UnallowableCharacters;
    if (name.find_first_of(" \t/\\") != std::string::npos)
        return Validation::UnallowableCharacters;
    if (std::find(names_.begin(), names_.end(), name) != names_.end())
        return Validation::AlreadyExists;
    return Validation::Accepted;
}

int ReaderList::removeAt(int index)
{
    if (index < 0 || index >= static_cast<int>(names_.size()))
        return names_.empty() ? -1 : 0;
    names_.erase(names_.begin() + index);
    if (names_.empty())
        return -1;
    // The entry now at the removed position; after the last one, the new last.
    return std::min(index, static_cast<int>(names_.size()) - 1);
}

void ReaderList::load(const ProfileFile& settings)
{
    names_.clear();
    const int count = settings.readInteger(kProgramSection, "UserCnt", 0);
    for (int n = 0; n < count; ++n)
        names_.push_back(settings.readString(kProgramSection, readerKey(n), "", kMaximumNameLength));
}

bool ReaderList::save(const ProfileFile& settings) const
{
    bool saved = settings.writeString(kProgramSection, "UserCnt", std::to_string(names_.size()));
    for (std::size_t n = 0; n < names_.size(); ++n)
        saved = settings.writeString(kProgramSection, readerKey(static_cast<int>(n)), names_[n]) && saved;
    return saved;
}

} // namespace vantor
