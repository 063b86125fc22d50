#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vantor {

// A private-profile settings file ("INI"): sections and keys match without
// regard to letter case, values are read verbatim (a backslash is data), a
// missing key gives the caller's default, and the first write creates the
// file and the section. Every call reads the file afresh, so two windows that
// write the same file never see stale values.
class ProfileFile {
public:
    explicit ProfileFile(std::string path);

    const std::string& path() const { return path_; }

    // The value cut to maxLength bytes (the caller's buffer less its NUL),
    // never in the middle of a UTF-8 character.
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& defaultValue, std::size_t maxLength = 255) const;

    // Every key of a section with its value, keys in lower case (they match
    // without regard to case), in file order: lists of numbered keys are read
    // with one reading of the file.
    std::vector<std::pair<std::string, std::string>> readSection(const std::string& section) const;

    // Leading optional sign and decimal digits of the value; 0 when the value
    // has none; defaultValue when the key is absent.
    int readInteger(const std::string& section, const std::string& key, int defaultValue) const;

    // Writes through a temporary file renamed over the old one, so a crash
    // never leaves a half-written settings file. False when it cannot write.
    bool writeString(const std::string& section, const std::string& key, const std::string& value) const;

private:
    std::string path_;
};

// Cuts text to at most maxLength bytes without splitting a UTF-8 sequence.
std::string truncateAtCharacterBoundary(const std::string& text, std::size_t maxLength);

// Writes data to path atomically: a temporary file in the same folder, flushed,
// then renamed over path. False (and path untouched) on any failure.
bool writeFileAtomically(const std::string& path, const std::string& data);

} // namespace vantor
