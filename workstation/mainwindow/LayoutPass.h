#pragma once

#include <map>
#include <string>

namespace vantor {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsRect&) const = default;
};

// What the layout pass reads: the window's outer size and inner (client)
// height, the smallest outer size allowed, the case viewer's image size and
// the current rectangles of the controls it arranges (all in twips).
struct LayoutInput {
    bool minimized = false;
    int windowWidth = 0;
    int windowHeight = 0;
    int innerHeight = 0;
    int maxLayoutWidth = 0;
    int maxLayoutHeight = 0;
    int caseImageWidth = 0;  // ImageWidth of the case viewer; 0 when it holds no image
    int caseImageHeight = 0;
    std::map<std::string, TwipsRect> controls;
};

struct LayoutResult {
    bool applied = false;       // false for a minimised window: nothing changes
    int windowWidth = 0;        // enlarged to the smallest allowed size when below it
    int windowHeight = 0;
    int imageEdge = 0;          // side of the square image area
    std::map<std::string, TwipsRect> controls; // every control of the input, moved where the pass says
};

// What the reading form needs beside the pass's own controls (twips): the
// width of the parameter choices placed right of the slice's sketch button
// on the question row.
struct FormNeeds {
    int parametersWidth = 0;
};

struct MinimumLayoutSize {
    int windowWidth = 0; // outer width
    int innerHeight = 0; // below the menu bar
};

// The smallest size at which the pass puts no control over another, for the
// designed rectangles of the controls: the report button clear of the top
// band, the sketch buttons clear of the question row and its parameters,
// the reading form at its designed width.
MinimumLayoutSize minimumLayoutSize(const std::map<std::string, TwipsRect>& designed, const FormNeeds& form);

// The controls the pass reads or moves; the input must hold each of them.
const char* const* layoutControlNames();

// Keeps the window at least the smallest allowed size and arranges the case
// image, the reference sample, the window boxes, the sketch buttons, the
// reading form, the localiser, its scroll bar and the sample list.
LayoutResult runLayoutPass(const LayoutInput& input);

} // namespace vantor
