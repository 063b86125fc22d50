#pragma once

// Version of the ZVImgViewer library, for hosts that check what they loaded.
extern "C" {
int ZVImgViewerVersionMajor();
int ZVImgViewerVersionMinor();
// Full path of the loaded library file, or "" when it cannot be told.
const char* ZVImgViewerLibraryPath();
}
