#include "ZVDICOM/LibraryVersion.h"

#include <dlfcn.h>

extern "C" {
int ZVDICOMVersionMajor() { return 1; }
int ZVDICOMVersionMinor() { return 0; }
const char* ZVDICOMLibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZVDICOMVersionMajor), &info) == 0 || info.dli_fname == nullptr)
        return "";
    return info.dli_fname;
}
}
