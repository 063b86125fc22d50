#include "ZVImgViewer/LibraryVersion.h"

#include <dlfcn.h>

extern "C" {
int ZVImgViewerVersionMajor() { return 1; }
int ZVImgViewerVersionMinor() { return 0; }
const char* ZVImgViewerLibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZVImgViewerVersionMajor), &info) == 0 || info.dli_fname == nullptr)
        return "";
    return info.dli_fname;
}
}
