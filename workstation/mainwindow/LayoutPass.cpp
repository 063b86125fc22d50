#include "mainwindow/LayoutPass.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vantor {

const char* const* layoutControlNames()
{
    static const char* const names[] = {
        "btnReport", "btnMovePatient(0)", "btnSketch", "btnSketch2", "lblInitQuestion", "SSTab1", "ImageBG",
        "SampleBG", "RIZOduVed1(0)", "RazazUrirAdeder1", "LblWindowParam(0)", "LblWindowParam(1)",
        "TxtWindowParam(0)", "TxtWindowParam(1)", "Command0(0)", "Command0(1)", "RIZOduVed2", "VScroll1",
        "List2", "lblSampName", "txtComment", nullptr};
    return names;
}

MinimumLayoutSize minimumLayoutSize(const std::map<std::string, TwipsRect>& designed, const FormNeeds& form)
{
    constexpr int gap = 60;
    auto at = [&designed](const char* name) {
        const auto found = designed.find(name);
        return found == designed.end() ? TwipsRect{} : found->second;
    };
    const TwipsRect report = at("btnReport");
    const TwipsRect sketch = at("btnSketch");

    // The report button follows the right edge: it must stay right of every
    // control that shares its rows.
    int topBandRight = 0;
    for (const auto& [name, rect] : designed)
        if (name != "btnReport" && rect.top < report.top + report.height && report.top < rect.top + rect.height)
            topBandRight = std::max(topBandRight, rect.left + rect.width);
    const int reportNeeds = topBandRight + gap + report.width + 200;

    // The slice's sketch button ends at the image edge; the question row lies
    // left of it and the parameter choices right of it, up to the sample's
    // sketch button, which ends at twice the edge.
    int questionRowRight = 0;
    for (const char* name : {"lblInitQuestion", "Command0(0)", "Command0(1)"})
        questionRowRight = std::max(questionRowRight, at(name).left + at(name).width);
    const int edgeForQuestion = questionRowRight + gap + sketch.width;
    const int edgeForParameters = 180 + form.parametersWidth + gap + sketch.width;
    const int edge = std::max(edgeForQuestion, edgeForParameters);

    const int formNeeds = at("SSTab1").width + at("List2").width + at("RIZOduVed2").width + at("VScroll1").width + 200;

    MinimumLayoutSize minimum;
    minimum.windowWidth = std::max({reportNeeds, 2 * edge, formNeeds});
    minimum.innerHeight = edge + at("btnMovePatient(0)").height + sketch.height + at("lblInitQuestion").height +
                          at("SSTab1").height - 300;
    return minimum;
}

LayoutResult runLayoutPass(const LayoutInput& input)
{
    LayoutResult result;
    result.windowWidth = input.windowWidth;
    result.windowHeight = input.windowHeight;
    result.controls = input.controls;
    if (input.minimized)
        return result;
    result.applied = true;

    // The frame and menu bar keep their height when the window is enlarged.
    const int frameHeight = input.windowHeight - input.innerHeight;
    result.windowWidth = std::max(input.windowWidth, input.maxLayoutWidth);
    result.windowHeight = std::max(input.windowHeight, input.maxLayoutHeight);
    const int windowWidth = result.windowWidth;
    const int innerHeight = result.windowHeight - frameHeight;

    auto& c = result.controls;
    c["btnReport"].left = windowWidth - c["btnReport"].width - 200;

    const long h = innerHeight - c["btnMovePatient(0)"].height - c["btnSketch"].height -
                   c["lblInitQuestion"].height - c["SSTab1"].height + 300;
    const long w = std::lrint(windowWidth / 2.0); // halves to even
    // In int: a 16-bit edge wraps on screens of about 4400 x 2600 pixels and more.
    const int edge = static_cast<int>(std::min(h, w));
    result.imageEdge = edge;

    c["ImageBG"].width = c["ImageBG"].height = edge;
    c["SampleBG"].width = c["SampleBG"].height = edge;

    TwipsRect& caseViewer = c["RIZOduVed1(0)"];
    caseViewer.width = caseViewer.height = edge;
    if (input.caseImageWidth != 0 && input.caseImageHeight != 0) {
        const TwipsRect& background = c["ImageBG"];
        if (input.caseImageHeight < input.caseImageWidth) {
            caseViewer.width = background.width;
            caseViewer.height = background.height * input.caseImageHeight / input.caseImageWidth;
        } else {
            caseViewer.height = background.height;
            caseViewer.width = background.width * input.caseImageWidth / input.caseImageHeight;
        }
    }

    c["SampleBG"].left = caseViewer.left + caseViewer.width;
    TwipsRect& sampleViewer = c["RazazUrirAdeder1"];
    sampleViewer.left = c["SampleBG"].left;
    sampleViewer.width = sampleViewer.height = edge;

    const TwipsRect& background = c["ImageBG"];
    c["LblWindowParam(0)"].top = background.top + background.height - 2 * c["LblWindowParam(0)"].height;
    c["LblWindowParam(1)"].top = c["LblWindowParam(0)"].top + c["LblWindowParam(0)"].height;
    c["TxtWindowParam(0)"].top = c["LblWindowParam(0)"].top;
    c["TxtWindowParam(1)"].top = c["LblWindowParam(1)"].top;

    c["btnSketch"].left = c["SampleBG"].left + c["SampleBG"].width - c["btnSketch"].width;
    c["btnSketch"].top = background.top + background.height;
    c["btnSketch2"].left = background.width - c["btnSketch"].width;
    c["btnSketch2"].top = c["btnSketch"].top;

    c["lblInitQuestion"].top = c["btnSketch"].top;
    c["Command0(0)"].top = c["lblInitQuestion"].top;
    c["Command0(1)"].top = c["Command0(0)"].top;
    c["SSTab1"].top = c["lblInitQuestion"].top + c["lblInitQuestion"].height;

    c["SSTab1"].width = windowWidth - c["List2"].width - c["RIZOduVed2"].width - c["VScroll1"].width - 200;
    c["RIZOduVed2"].left = c["SSTab1"].left + c["SSTab1"].width;
    c["RIZOduVed2"].top = c["SSTab1"].top + c["SSTab1"].height - c["RIZOduVed2"].height;
    c["VScroll1"].left = c["RIZOduVed2"].left + c["RIZOduVed2"].width;
    c["VScroll1"].top = c["RIZOduVed2"].top;
    c["List2"].top = c["VScroll1"].top;
    c["List2"].left = c["VScroll1"].left + c["VScroll1"].width;
    c["lblSampName"].top = c["VScroll1"].top - c["lblSampName"].height;
    c["txtComment"].width = c["SSTab1"].width - 400;
    c["lblSampName"].left = c["List2"].left;
    c["lblSampName"].width = c["List2"].width;
    return result;
}

} // namespace vantor
