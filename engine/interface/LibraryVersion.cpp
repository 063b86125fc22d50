#include "ZVIPEngine/LibraryVersion.h"

#include <dlfcn.h>

extern "C" {
int ZVIPEngineVersionMajor() { return 1; }
int ZVIPEngineVersionMinor() { return 0; }
const char* ZVIPEngineLibraryPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&ZVIPEngineVersionMajor), &info) == 0 || info.dli_fname == nullptr)
        return "";
    return info.dli_fname;
}
}
