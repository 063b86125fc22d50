// Uses each installed library once: reads a DICOM file's rows and columns,
// declares a volume of that size to the engine, and sizes a viewer to it.
// Prints the files the libraries were loaded from, for the test to check.
#include <ZVDICOM/LibraryVersion.h>
#include <ZVDICOM/ZQDICOM.h>
#include <ZVIPEngine/LibraryVersion.h>
#include <ZVIPEngine/VazAZUrorav.h>
#include <ZVImgViewer/LibraryVersion.h>
#include <ZVImgViewer/RazazUrirAdeder.h>

#include <QApplication>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantor-consumer DICOMFILE\n");
        return 2;
    }
    QApplication application(argc, argv);

    ZQDICOM file;
    file.setfilename(argv[1]);
    std::int16_t height = 0, width = 0;
    if (!file.GetTagShort(0x0028, 0x0010, height) || !file.GetTagShort(0x0028, 0x0011, width)) {
        std::fprintf(stderr, "vantor-consumer: %s has no rows or columns\n", argv[1]);
        return 1;
    }

    VazAZUrorav engine;
    if (width <= 0 || height <= 0 || !engine.SetDataProfile(width, height, 1, 0.7, 0.7, 1.0, 1.0, -1024)) {
        std::fprintf(stderr, "vantor-consumer: the engine refused a %d x %d volume\n", width, height);
        return 1;
    }

    RazazUrirAdeder viewer;
    viewer.setImageWidth(width);
    viewer.setImageHeight(height);
    std::printf("image %d x %d, viewer %d x %d\n", width, height, viewer.ImageWidth(), viewer.ImageHeight());
    std::printf("ZVDICOM %d.%d %s\n", ZVDICOMVersionMajor(), ZVDICOMVersionMinor(), ZVDICOMLibraryPath());
    std::printf("ZVIPEngine %d.%d %s\n", ZVIPEngineVersionMajor(), ZVIPEngineVersionMinor(), ZVIPEngineLibraryPath());
    std::printf("ZVImgViewer %d.%d %s\n", ZVImgViewerVersionMajor(), ZVImgViewerVersionMinor(), ZVImgViewerLibraryPath());
    return 0;
}
