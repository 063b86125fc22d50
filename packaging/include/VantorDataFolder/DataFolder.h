#pragma once

#include <string>

namespace vantor {

// The folder of the shipped data files (settings file, dictionary, samples,
// report template, help pages), with a trailing "/". In a build folder they
// lie beside the program; installed, in <prefix>/share/vantor-viewer/, which
// is found relative to the program so that any prefix works. `probe` is a
// file that the data folder holds.
std::string dataFolder(const std::string& probe);

// The rule itself, for a given program folder: the program folder when it
// holds `probe`, else the installed data folder when that holds it, else the
// program folder (whose missing files the caller reports as it always has).
std::string locateDataFolder(const std::string& programFolder, const std::string& probe);

} // namespace vantor
