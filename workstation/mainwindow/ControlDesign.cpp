#include "mainwindow/ControlDesign.h"

namespace vantor {

std::string arrayControlName(const std::string& name, int index)
{
    return name + "(" + std::to_string(index) + ")";
}

namespace {

// The window is designed for 1280 x 960 pixels (19200 x 14400 twips):
// a top band with patient and study choice, display options and the 20
// series thumbnails; the case image and the reference sample side by side;
// under them the reading question and the form, with the localiser, its
// scroll bar and the sample list to the right of the form.
std::vector<ControlDesign> makeDesign()
{
    std::vector<ControlDesign> design = {
        // top band: two rows of 450 beside the tall patient buttons
        {"btnMovePatient(1)", 0, 0, 900, 900},
        {"btnMovePatient(0)", 900, 0, 900, 900},
        {"btnMovePatient(2)", 1800, 0, 900, 900},
        {"comboStudyList", 2760, 60, 2000, 330},
        {"FrameSort", 4820, 0, 5200, 450},
        {"FrameMM", 10080, 0, 1620, 450},
        {"FrameROI", 11760, 0, 1900, 450},
        {"CheckInterpolation", 13720, 0, 1600, 450},
        {"TxtImageNum(0)", 15380, 60, 1000, 330},
        {"btnReport", 16800, 0, 2200, 450},
        // image row
        {"ImageBG", 0, 900, 9600, 9600},
        {"RIZOduVed1(0)", 0, 900, 9600, 9600},
        {"SampleBG", 9600, 900, 9600, 9600},
        {"RazazUrirAdeder1", 9600, 900, 9600, 9600},
        {"LblWindowParam(0)", 60, 9900, 600, 300},
        {"LblWindowParam(1)", 60, 10200, 600, 300},
        {"TxtWindowParam(0)", 660, 9900, 900, 300},
        {"TxtWindowParam(1)", 660, 10200, 900, 300},
        // reading row
        {"lblInitQuestion", 0, 10500, 3600, 330},
        {"Command0(0)", 3660, 10500, 900, 330},
        {"Command0(1)", 4620, 10500, 900, 330},
        {"btnSketch2", 8300, 10500, 1300, 300},
        {"btnSketch", 17900, 10500, 1300, 300},
        {"SSTab1", 0, 10830, 11000, 3900},
        {"RIZOduVed2", 11000, 11400, 2700, 3300},
        {"VScroll1", 13700, 11400, 255, 3300},
        {"lblSampName", 13955, 11100, 3000, 300},
        {"List2", 13955, 11400, 3000, 3300},
        {"List1", 13955, 11400, 3000, 3300},
    };
    for (int i = 0; i < 20; ++i)
        design.push_back({arrayControlName("Picture1", i), 2760 + i * 480, 450, 450, 450});
    return design;
}

} // namespace

const std::vector<ControlDesign>& mainWindowDesign()
{
    static const std::vector<ControlDesign> design = makeDesign();
    return design;
}

ControlDesign designOf(const std::string& name)
{
    for (const auto& control : mainWindowDesign())
        if (control.name == name)
            return control;
    return {name, 0, 0, 0, 0};
}

} // namespace vantor
