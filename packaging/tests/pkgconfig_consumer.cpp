// Built with nothing but `pkg-config --cflags --libs zvdicom zvipengine`:
// the two Qt-free libraries, as a C++ program of another build system uses them.
#include <ZVDICOM/LibraryVersion.h>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/LibraryVersion.h>
#include <ZVIPEngine/VazAZUrorav.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    ZQDICOM file;
    file.setfilename(argv[1]);
    VazAZUrorav engine;
    const bool declared = engine.SetDataProfile(8, 8, 2, 1.0, 1.0, 1.0, 1.0, -1024);
    std::printf("elements %d, volume %s\n", file.GetNumOfTag(), declared ? "declared" : "refused");
    std::printf("ZVDICOM %s\nZVIPEngine %s\n", ZVDICOMLibraryPath(), ZVIPEngineLibraryPath());
    return file.GetNumOfTag() > 1 && declared ? 0 : 1;
}
