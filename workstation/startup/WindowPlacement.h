#pragma once

namespace vantor {

// The main window's position and size in twips, kept in the per-user store
// (organisation and application "VANTORViewer", section "Settings").
struct WindowPlacement {
    int left = 1000;
    int top = 1000;
    int width = 6500;
    int height = 6500;

    static WindowPlacement load();
    void save() const;
};

} // namespace vantor
