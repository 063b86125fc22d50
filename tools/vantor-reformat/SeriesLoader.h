#pragma once

#include <string>
#include <vector>

class VazAZUrorav;

// Loads the slice files of one series folder into the engine the way the
// workstation does: files sorted by name, then by instance number; the
// volume declared with base offset -1024 and the z spacing negated; every
// slice handed over through ZQDICOM's pixel data; then the chosen ordering.
class SeriesLoader {
public:
    enum class Ordering { None, ImageNumber, SlicePosition };

    struct Result {
        bool loaded = false;
        std::string error;                 // why nothing was loaded
        std::vector<std::string> skipped;  // files left out, with the reason
        int columns = 0;
        int rows = 0;
        int filesHandedOver = 0;
        double spacingX = 1.0;
        double spacingY = 1.0;
        double spacingZ = 1.0;
    };

    static Result load(const std::string& folder, Ordering ordering, VazAZUrorav& engine);
    // Regular files of the folder by name (case-insensitive, then by bytes),
    // without DICOMDIR and "...L_ser.dat".
    static std::vector<std::string> seriesFiles(const std::string& folder);
};
