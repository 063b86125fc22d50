#include "MetaImageWriter.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantor {

bool writeMetaImage(const std::string& path, const std::uint8_t* voxels, const SeriesGeometry& geometry,
                    std::string& error)
{
    const std::filesystem::path header(path);
    std::filesystem::path data = header;
    data.replace_extension(".raw");
    const std::array<const std::array<double, 3>*, 3> steps = {&geometry.columnStep, &geometry.rowStep,
                                                                &geometry.sliceStep};
    std::ostringstream text;
    text.precision(9);
    text << "ObjectType = Image\nNDims = 3\nBinaryData = True\nBinaryDataByteOrderMSB = False\n"
            "CompressedData = False\nTransformMatrix =";
    std::array<double, 3> spacing{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const std::array<double, 3>& step = *steps[axis];
        spacing[axis] = std::sqrt(step[0] * step[0] + step[1] * step[1] + step[2] * step[2]);
        for (double component : step)
            text << ' ' << (spacing[axis] > 0 ? component / spacing[axis] : 0.0);
    }
    text << "\nOffset = " << geometry.origin[0] << ' ' << geometry.origin[1] << ' ' << geometry.origin[2]
         << "\nElementSpacing = " << spacing[0] << ' ' << spacing[1] << ' ' << spacing[2] << "\nDimSize = "
         << geometry.dims[0] << ' ' << geometry.dims[1] << ' ' << geometry.dims[2]
         << "\nElementType = MET_UCHAR\nElementDataFile = " << data.filename().string() << '\n';

    std::ofstream raw(data, std::ios::binary);
    raw.write(reinterpret_cast<const char*>(voxels),
              static_cast<std::streamsize>(geometry.dims[0]) * geometry.dims[1] * geometry.dims[2]);
    std::ofstream head(header, std::ios::binary);
    head << text.str();
    raw.close();
    head.close();
    if (!raw || !head) {
        error = "cannot write " + header.string() + " and " + data.string();
        return false;
    }
    return true;
}

} // namespace vantor
