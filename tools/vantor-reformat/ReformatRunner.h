#pragma once

#include "ReformatOptions.h"

#include <cstdint>
#include <string>

class VazAZUrorav;

// Asks the loaded engine for the image the options describe.
class ReformatRunner {
public:
    struct Image {
        const std::int16_t* samples = nullptr; // the engine's buffer 0
        int width = 0;
        int height = 0;
        int plane = 0;
        std::string error;
    };
    static Image run(const ReformatOptions& options, VazAZUrorav& engine);
};
