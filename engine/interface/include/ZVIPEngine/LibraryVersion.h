#pragma once

// Version of the ZVIPEngine library, for hosts that check what they loaded.
extern "C" {
int ZVIPEngineVersionMajor();
int ZVIPEngineVersionMinor();
// Full path of the loaded library file, or "" when it cannot be told.
const char* ZVIPEngineLibraryPath();
}
