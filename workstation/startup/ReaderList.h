#pragma once

#include <string>
#include <vector>

namespace vantor {

class ProfileFile;

// The ordered list of reader names kept in the settings file and edited in
// the sign-in dialog.
class ReaderList {
public:
    enum class Validation { Accepted, UnallowableCharacters, AlreadyExists };

    // Names are stored as at most 79 bytes (the settings buffer holds 80).
    static constexpr std::size_t kMaximumNameLength = 79;
    // As many as there are keys User0000 ... User9999.
    static constexpr int kMaximumReaders = 10000;
    // name cut to kMaximumNameLength bytes at a UTF-8 character boundary.
    static std::string limitedName(const std::string& name);

    const std::vector<std::string>& names() const { return names_; }
    std::size_t size() const { return names_.size(); }
    bool empty() const { return names_.empty(); }

    // Empty after trimming spaces, or holding a space, a tab, "/" or "\" is
    // refused; so is a name already in the list with the same letter case.
    Validation validate(const std::string& name) const;

    void append(const std::string& name) { names_.push_back(name); }
    // Removes entry index; returns the index to select afterwards, or -1 when
    // the list became empty.
    int removeAt(int index);

    void load(const ProfileFile& settings);
    // "UserCnt" and every name; keys of an earlier, longer list are left.
    bool save(const ProfileFile& settings) const;

private:
    std::vector<std::string> names_;
};

} // namespace vantor
