#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantor {

// The window a series gets when its first file is read.
struct WindowAtLoad {
    double level = 0.0;          // Hounsfield units
    double width = 0.0;
    std::string levelText;       // for the WL text box
    std::string widthText;       // for the WW text box
    bool textBoxesEnabled = true; // false for 8-bit series, which keep a fixed window

    // The reading record keeps the integer part.
    std::int32_t recordLevel() const;
    std::int32_t recordWidth() const;
};

// windowCenter / windowWidth: the texts of Window Center (0028,1050) and
// Window Width (0028,1051) of the first file, empty when the tag is missing;
// several values ("40\400") give the first one.
// With WLWWSelect set the last selected window (DefaultWL, DefaultWW) wins;
// without it the file's values, each falling back to its default when its tag
// is missing. An 8-bit series always gets level 128 and width 256.
WindowAtLoad windowAtLoad(const std::optional<std::string>& windowCenter,
                          const std::optional<std::string>& windowWidth, bool WLWWSelect, std::int32_t DefaultWL,
                          std::int32_t DefaultWW, int bitsAllocated);

} // namespace vantor
