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
    explicit TagListFormatter(const TagDictionary& dictionary) : dictionary_(dictionary) {}

    std::vector<std::string> lines(const ZQDICOM& control) const;

private:
    const TagDictionary& dictionary_;
};
