#pragma once

#include "TagDictionary.h"

#include <cstddef>
#include <string>
#include <vector>

class ZQDICOM;

namespace vantor {

// The lines of the tag list: the element dictionary "dicom.dic" of the
// program folder, read on first use, and one line per element of a file
// (tag, dictionary name, value from column 43), formatted as the dump tool
// prints them with --decode (text values in UTF-8). One instance serves the whole run.
class TagListBuilder {
public:
    explicit TagListBuilder(std::string appDir) : appDir_(std::move(appDir)) {}

    // Reads AppDir + "dicom.dic" unless entries are already loaded; returns the
    // entry count. A missing file leaves it 0, so the next call tries again.
    std::size_t loadDictionary();
    std::size_t dictionaryCount() const { return dictionary_.size(); }
    std::string dictionaryPath() const;

    // Loads the dictionary if needed, gives `file` to the DICOM component and
    // returns its lines, the end record left out. None for an empty path or
    // a file the component cannot read.
    std::vector<std::string> lines(ZQDICOM& dicom, const std::string& file);

    // What a list line shows: the text up to its first NUL, other control
    // characters as dots, so that binary values keep one element on one line.
    static std::string shownText(const std::string& line);

private:
    std::string appDir_;
    TagDictionary dictionary_;
};

} // namespace vantor
