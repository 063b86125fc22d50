#pragma once

#include <string>

namespace vantor {

struct Catalogue;

// Writes a catalogue to its cache file: one item per line, CR LF line ends, values
// as they are. The file is written beside the old one under a temporary name and
// renamed over it, so an interrupted write leaves the previous cache whole.
class CatalogueCacheWriter {
public:
    struct Result {
        bool written = false;
        std::string error; // why nothing was written; empty when written
    };

    static Result write(const Catalogue& catalogue, const std::string& cachePath);

    // The whole file text. A line break inside a text value would split its line and
    // break the file's structure, so each CR and LF of a value becomes a space.
    static std::string text(const Catalogue& catalogue);

    // A file path with a line break cannot be kept on one line; such a catalogue is
    // not cached at all (a changed path would name another file).
    static bool canStore(const Catalogue& catalogue);
};

} // namespace vantor
