#pragma once

#include "catalogue/Catalogue.h"

#include <string>
#include <vector>

namespace vantor {

// Reads a catalogue back from its cache file, line by line in the fixed layout the
// writer produces (spaces around a line are ignored; tabs are not). The reader never
// shows anything: it returns the messages for the reader and whether the whole file
// held together, and the window decides what to do with a damaged file.
class CatalogueCacheReader {
public:
    struct Result {
        // False when nothing can be used: the file cannot be opened or its second line
        // is not <Patients>.
        bool read = false;
        // True when the file's structure held to its last patient. After a structural
        // error `catalogue` holds only the patients complete before it.
        bool complete = false;
        // The messages for the reader, in the order they arose (lines joined by CR).
        std::vector<std::string> messages;
        // The patients read; TopFolder is left for the caller. Every FolderName is
        // the bare folder name, taken from the path of the entry's first file.
        Catalogue catalogue;
    };

    static Result read(const std::string& cachePath);
    static Result parse(const std::string& text);

    static constexpr const char* Declaration = R"(<?xml version="1.0" encoding="UTF-8" ?>)";
    static std::string
    unreadableFileMessage(const std::string& firstLine); // "このファイルは読めません．" CR line
    static std::string badTagMessage(const std::string& line); // "タグが不正です．(" line ")"
};

} // namespace vantor
