#pragma once

#include "TagDictionary.h"

#include <string>
#include <vector>

class ZQDICOM;

// The lines of the tag list for the file loaded in a control: tag, dictionary
// name, padding so that values start in column 43, value. Uses only the
// control's published members, so it shows what the workstation shows.
class TagListFormatter
{
public:
    // How text values appear: their stored bytes, or decoded to UTF-8 by the
    // data set's Specific Character Set (values of the VRs that it governs,
    // as the dictionary names them; other values keep their bytes).
    enum class TextForm { StoredBytes, Decoded };

    explicit TagListFormatter(const TagDictionary& dictionary) : dictionary_(dictionary) {}

    std::vector<std::string> lines(const ZQDICOM& control, TextForm form = TextForm::StoredBytes) const;

private:
    const TagDictionary& dictionary_;
};
