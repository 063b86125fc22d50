#pragma once

#include <string>
#include <vector>

namespace vantor {

// A control's designed place on the main window, in twips. The layout pass
// moves some of them when the window changes size; the rest keep these.
struct ControlDesign {
    std::string name; // published control name; arrays as "Name(index)"
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Every placed control of the main window, in creation order.
const std::vector<ControlDesign>& mainWindowDesign();

// The designed rectangle of one control; a zero-sized one when unknown.
ControlDesign designOf(const std::string& name);

// "Name(index)" as used for control arrays.
std::string arrayControlName(const std::string& name, int index);

} // namespace vantor
