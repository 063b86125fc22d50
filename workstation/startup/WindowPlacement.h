#pragma once

namespace vantor {

// The main window's position and size in twips, kept in the per-user store
// (organisation and application "VANTORViewer", section "Settings").
// Left and top are where the window's frame starts; width and height are its
// inner size, which is what a restore sets, so the window comes back as it was.
// A maximised window is kept as maximised beside its normal placement.
struct WindowPlacement {
    int left = 1000;
    int top = 1000;
    int width = 6500;
    int height = 6500;
    bool maximized = false;

    static WindowPlacement load();
    void save() const;
};

} // namespace vantor
