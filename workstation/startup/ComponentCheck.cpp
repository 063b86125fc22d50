#include "startup/ComponentCheck.h"

#include <ZVDICOM/LibraryVersion.h>
#include <ZVIPEngine/LibraryVersion.h>
#include <ZVImgViewer/LibraryVersion.h>

namespace vantor {

namespace {
void report(ComponentReport& result, const char* name, int major, int minor, const char* path)
{
    if (major <= 0 || path == nullptr || *path == '\0')
        result.ok = false;
    result.text += std::string(name) + " " + std::to_string(major) + "." + std::to_string(minor) + " (" +
                   (path != nullptr ? path : "") + ")\n";
}
} // namespace

ComponentReport checkComponentLibraries()
{
    ComponentReport result;
    report(result, "ZVDICOM", ZVDICOMVersionMajor(), ZVDICOMVersionMinor(), ZVDICOMLibraryPath());
    report(result, "ZVImgViewer", ZVImgViewerVersionMajor(), ZVImgViewerVersionMinor(), ZVImgViewerLibraryPath());
    report(result, "ZVIPEngine", ZVIPEngineVersionMajor(), ZVIPEngineVersionMinor(), ZVIPEngineLibraryPath());
    return result;
}

} // namespace vantor
