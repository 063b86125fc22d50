#include "startup/ReaderList.h"

#include "startup/ProfileFile.h"
#include "startup/SettingsKeys.h"

#include <algorithm>
#include <unordered_map>

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
    // Keys have four digits: a larger count (a damaged file) would only
    // repeat them. The section is read once, not once per name.
    const int count = std::min(settings.readInteger(kProgramSection, "UserCnt", 0), kMaximumReaders);
    std::unordered_map<std::string, std::string> values;
    if (count > 0)
        for (auto& [key, value] : settings.readSection(kProgramSection))
            values.try_emplace(key, std::move(value)); // the first of a key counts, as for a single read
    for (int n = 0; n < count; ++n) {
        std::string key = readerKey(n);
        for (char& c : key)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        const auto found = values.find(key);
        names_.push_back(found == values.end() ? std::string() : limitedName(found->second));
    }
}

bool ReaderList::save(const ProfileFile& settings) const
{
    bool saved = settings.writeString(kProgramSection, "UserCnt", std::to_string(names_.size()));
    for (std::size_t n = 0; n < names_.size(); ++n)
        saved = settings.writeString(kProgramSection, readerKey(static_cast<int>(n)), names_[n]) && saved;
    return saved;
}

} // namespace vantor
