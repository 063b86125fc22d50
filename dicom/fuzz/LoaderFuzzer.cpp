// libFuzzer target for the DICOM loader: any bytes, loaded as a whole file and
// as a header-only file, then every reading member over the whole store; then
// the native pixels, which decodes compressed pixel data (the real files that
// seed it include every compressed transfer syntax).

#include "DicomFileReader.h"
#include "MemoryFile.h"
#include "ZVDICOM/ZQDICOM.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

void readEverything(ZQDICOM& control)
{
    const std::int32_t count = control.GetNumOfTag();
    std::string buffer(128, '\0');
    for (std::int32_t index = 0; index <= count + 1; ++index) {
        std::int16_t group = 0;
        std::int16_t element = 0;
        if (!control.GetTagFromIndex(index, group, element, buffer, 128))
            continue;
        std::string text(256, '\0');
        control.GetTagString(group, element, text, 256);
        std::int16_t shortValue = 0;
        std::int32_t longValue = 0;
        std::int32_t size = 0;
        control.GetTagShort(group, element, shortValue);
        control.GetTagLong(group, element, longValue);
        control.GetTagSize(group, element, size);
    }
    std::int32_t pixelBytes = 0;
    if (const std::uint8_t* pixels = control.hImage(); pixels && control.GetTagSize(0x7FE0, 0x0010, pixelBytes)) {
        volatile std::uint8_t sum = 0;
        for (std::int32_t i = 0; i < pixelBytes; i += 97)
            sum = static_cast<std::uint8_t>(sum + pixels[i]);
        if (pixelBytes > 0)
            sum = static_cast<std::uint8_t>(sum + pixels[pixelBytes - 1]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DicomFileReader reader;
    reader.loadFromMemory(data, size);

    MemoryFile file(data, size);
    ZQDICOM control;
    control.setfilename(file.path());
    readEverything(control);
    // Stores into whatever was read keep the group lengths in step.
    control.SetTagString(0x0010, 0x0010, "FUZZ^NAME", 10);
    control.SetTagString(0x0008, 0x0000, "", 0);
    readEverything(control);

    ZQDICOM header;
    header.loadHeaderOnly(file.path());
    readEverything(header);

    ZQDICOM decoder;
    std::size_t byteCount = 0;
    std::string problem;
    if (const std::uint8_t* pixels = decoder.loadNativePixels(file.path(), byteCount, problem); pixels && byteCount) {
        volatile std::uint8_t last = pixels[byteCount - 1];
        (void)last;
    }
    std::uint8_t frame[4096];
    std::size_t frameBytes = 0;
    decoder.loadFirstFrameInto(file.path(), frame, sizeof(frame), frameBytes, problem);
    return 0;
}
