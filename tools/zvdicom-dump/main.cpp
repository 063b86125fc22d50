// zvdicom-dump [--dict FILE] [--decode] DICOMFILE
//
// Prints the elements of a DICOM file one per line, as the workstation's tag
// list shows them. The dictionary defaults to the shipped dicom.dic
// (beside the program in a build, share/vantor-viewer/ when installed).
// Text values are printed as stored, or with --decode as UTF-8 decoded by the
// file's Specific Character Set.

#include "TagDictionary.h"
#include "TagListFormatter.h"

#include "ZVDICOM/ZQDICOM.h"
#include "VantorDataFolder/DataFolder.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {

void printUsage()
{
    std::cerr << "usage: zvdicom-dump [--dict FILE] [--decode] DICOMFILE\n"
                 "Prints the file's elements as the tag list shows them.\n"
                 "--decode prints text values as UTF-8, decoded by the file's Specific Character Set.\n";
}

std::string defaultDictionaryPath()
{
    return vantor::dataFolder("dicom.dic") + "dicom.dic";
}

// What a list box line shows: the text up to its first NUL, other control
// characters as dots so that one element stays one line.
std::string printable(const std::string& line)
{
    std::string shown = line.substr(0, line.find('\0'));
    for (char& c : shown) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = '.';
    }
    return shown;
}

} // namespace

int main(int argc, char** argv)
{
    std::string dictionaryPath = defaultDictionaryPath();
    std::string dicomPath;
    TagListFormatter::TextForm form = TagListFormatter::TextForm::StoredBytes;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--dict" && i + 1 < argc) {
            dictionaryPath = argv[++i];
        } else if (argument == "--decode") {
            form = TagListFormatter::TextForm::Decoded;
        } else if (argument == "-h" || argument == "--help") {
            printUsage();
            return 0;
        } else if (dicomPath.empty() && (argument.empty() || argument[0] != '-' || argument == "-")) {
            dicomPath = argument;
        } else {
            printUsage();
            return 2;
        }
    }
    if (dicomPath.empty()) {
        printUsage();
        return 2;
    }

    TagDictionary dictionary;
    if (dictionary.load(dictionaryPath) == 0)
        std::cerr << "zvdicom-dump: no dictionary entries in " << dictionaryPath << "; names are left out\n";

    ZQDICOM control;
    control.setfilename(dicomPath);
    if (control.GetNumOfTag() == 0) {
        std::cerr << "zvdicom-dump: " << dicomPath << " cannot be read as a DICOM file\n";
        return 1;
    }
    const TagListFormatter formatter(dictionary);
    for (const std::string& line : formatter.lines(control, form))
        std::cout << printable(line) << '\n';
    return std::cout.good() ? 0 : 1;
}
