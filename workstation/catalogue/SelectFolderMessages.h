#pragma once

#include <string>

namespace vantor {

// The folder chooser's message texts, word for word; lines are joined by CR
// (character 13) and the window turns each CR into a line break when it shows them.
class SelectFolderMessages {
public:
    // The question asked when the chosen folder has a cache file; `modified` is the
    // cache file's modification date and time.
    static std::string cacheQuestion(const std::string& modified);

    // The message of a walk that found an empty level; `detail` names the level.
    static std::string wrongFolder(const std::string& detail);

    // Offered when the cache file is damaged, instead of opening part of a folder.
    static std::string damagedCacheQuestion();
};

} // namespace vantor
