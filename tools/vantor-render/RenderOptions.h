#pragma once

#include <array>
#include <string>

namespace vantor {

enum class RenderMode { Grey, Colour, Mip, Endoscope };

struct RenderOptions {
    std::string series;
    std::string output;
    RenderMode mode = RenderMode::Grey;
    std::array<float, 4> rotation = {0.0F, 0.0F, 1.0F, 0.0F}; // axis x, y, z and degrees
    int width = 512;
    int height = 512;
    bool help = false;
};

// False with the reason in error for arguments that make no rendering.
bool parseRenderOptions(int argc, const char* const* argv, RenderOptions& options, std::string& error);

extern const char* const RenderUsage;

} // namespace vantor
