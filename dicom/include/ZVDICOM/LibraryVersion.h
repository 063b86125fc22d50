#pragma once

// Version of the ZVDICOM library, for hosts that check what they loaded.
extern "C" {
int ZVDICOMVersionMajor();
int ZVDICOMVersionMinor();
// Full path of the loaded library file, or "" when it cannot be told.
const char* ZVDICOMLibraryPath();
}
