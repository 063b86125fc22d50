#pragma once

#include <cstdint>
#include <string>

// Writes a 16-bit binary PGM (P5, maxval 65535, big-endian samples). The file
// is written beside the target and renamed over it, so a failed write never
// leaves half an image under the target's name.
class PgmWriter {
public:
    static bool write(const std::string& path, const std::int16_t* image, int width, int height, std::string& error);
};
