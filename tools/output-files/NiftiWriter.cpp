#include "NiftiWriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace vantor {

namespace {

// The NIfTI-1 header, 348 bytes, as the format defines it.
#pragma pack(push, 1)
struct NiftiHeader {
    std::int32_t sizeof_hdr = 348;
    char data_type[10]{};
    char db_name[18]{};
    std::int32_t extents = 0;
    std::int16_t session_error = 0;
    char regular = 'r';
    char dim_info = 0;
    std::int16_t dim[8]{};
    float intent_p1 = 0, intent_p2 = 0, intent_p3 = 0;
    std::int16_t intent_code = 0;
    std::int16_t datatype = 0;
    std::int16_t bitpix = 0;
    std::int16_t slice_start = 0;
    float pixdim[8]{};
    float vox_offset = 352;
    float scl_slope = 0, scl_inter = 0;
    std::int16_t slice_end = 0;
    char slice_code = 0;
    char xyzt_units = 2; // millimetres
    float cal_max = 0, cal_min = 0;
    float slice_duration = 0;
    float toffset = 0;
    std::int32_t glmax = 0, glmin = 0;
    char descrip[80]{};
    char aux_file[24]{};
    std::int16_t qform_code = 1; // scanner coordinates
    std::int16_t sform_code = 1;
    float quatern_b = 0, quatern_c = 0, quatern_d = 0;
    float qoffset_x = 0, qoffset_y = 0, qoffset_z = 0;
    float srow_x[4]{}, srow_y[4]{}, srow_z[4]{};
    char intent_name[16]{};
    char magic[4] = {'n', '+', '1', '\0'};
};
#pragma pack(pop)
static_assert(sizeof(NiftiHeader) == 348, "NIfTI-1 header size");

// Quaternion (b, c, d) and qfac of the rotation in the columns of the
// direction matrix, as the NIfTI-1 reference code derives them.
void setQuaternion(NiftiHeader& header, std::array<std::array<double, 3>, 3> r)
{
    double determinant = r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
                         r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
                         r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
    header.pixdim[0] = 1.0F;
    if (determinant < 0) {
        header.pixdim[0] = -1.0F;
        for (int row = 0; row < 3; ++row)
            r[row][2] = -r[row][2];
    }
    double a = r[0][0] + r[1][1] + r[2][2] + 1.0, b, c, d;
    if (a > 0.5) {
        a = 0.5 * std::sqrt(a);
        b = 0.25 * (r[2][1] - r[1][2]) / a;
        c = 0.25 * (r[0][2] - r[2][0]) / a;
        d = 0.25 * (r[1][0] - r[0][1]) / a;
    } else {
        const double xd = 1.0 + r[0][0] - (r[1][1] + r[2][2]);
        const double yd = 1.0 + r[1][1] - (r[0][0] + r[2][2]);
        const double zd = 1.0 + r[2][2] - (r[0][0] + r[1][1]);
        if (xd > 1.0) {
            b = 0.5 * std::sqrt(xd);
            c = 0.25 * (r[0][1] + r[1][0]) / b;
            d = 0.25 * (r[0][2] + r[2][0]) / b;
            a = 0.25 * (r[2][1] - r[1][2]) / b;
        } else if (yd > 1.0) {
            c = 0.5 * std::sqrt(yd);
            b = 0.25 * (r[0][1] + r[1][0]) / c;
            d = 0.25 * (r[1][2] + r[2][1]) / c;
            a = 0.25 * (r[0][2] - r[2][0]) / c;
        } else {
            d = 0.5 * std::sqrt(zd);
            b = 0.25 * (r[0][2] + r[2][0]) / d;
            c = 0.25 * (r[1][2] + r[2][1]) / d;
            a = 0.25 * (r[1][0] - r[0][1]) / d;
        }
        if (a < 0.0)
            b = -b, c = -c, d = -d;
    }
    header.quatern_b = static_cast<float>(b);
    header.quatern_c = static_cast<float>(c);
    header.quatern_d = static_cast<float>(d);
}

} // namespace

bool writeNifti(const std::string& path, const std::uint8_t* voxels, const SeriesGeometry& geometry,
                std::string& error)
{
    NiftiHeader header;
    header.dim[0] = 3;
    for (int axis = 0; axis < 3; ++axis)
        header.dim[axis + 1] = static_cast<std::int16_t>(geometry.dims[static_cast<std::size_t>(axis)]);
    for (int axis = 4; axis < 8; ++axis)
        header.dim[axis] = 1;
    header.datatype = 2; // unsigned char
    header.bitpix = 8;
    std::strncpy(header.descrip, "VANTOR structure map", sizeof header.descrip - 1);

    const std::array<double, 16> m = voxelToPatient(geometry, true);
    std::array<std::array<double, 3>, 3> rotation{};
    for (int column = 0; column < 3; ++column) {
        const double length = std::sqrt(m[static_cast<std::size_t>(column)] * m[static_cast<std::size_t>(column)] +
                                        m[static_cast<std::size_t>(4 + column)] * m[static_cast<std::size_t>(4 + column)] +
                                        m[static_cast<std::size_t>(8 + column)] * m[static_cast<std::size_t>(8 + column)]);
        header.pixdim[column + 1] = static_cast<float>(length);
        for (int row = 0; row < 3; ++row)
            rotation[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                length > 0 ? m[static_cast<std::size_t>(row * 4 + column)] / length : (row == column ? 1.0 : 0.0);
    }
    setQuaternion(header, rotation);
    header.qoffset_x = static_cast<float>(m[3]);
    header.qoffset_y = static_cast<float>(m[7]);
    header.qoffset_z = static_cast<float>(m[11]);
    for (int column = 0; column < 4; ++column) {
        header.srow_x[column] = static_cast<float>(m[static_cast<std::size_t>(column)]);
        header.srow_y[column] = static_cast<float>(m[static_cast<std::size_t>(4 + column)]);
        header.srow_z[column] = static_cast<float>(m[static_cast<std::size_t>(8 + column)]);
    }

    gzFile file = gzopen(path.c_str(), "wb6");
    if (file == nullptr) {
        error = "cannot create " + path;
        return false;
    }
    const char extension[4] = {0, 0, 0, 0};
    bool ok = gzwrite(file, &header, sizeof header) == static_cast<int>(sizeof header) &&
              gzwrite(file, extension, sizeof extension) == static_cast<int>(sizeof extension);
    const std::size_t count = static_cast<std::size_t>(geometry.dims[0]) * geometry.dims[1] * geometry.dims[2];
    constexpr std::size_t Chunk = 1 << 24;
    for (std::size_t done = 0; ok && done < count; done += Chunk) {
        const unsigned part = static_cast<unsigned>(std::min(Chunk, count - done));
        ok = gzwrite(file, voxels + done, part) == static_cast<int>(part);
    }
    ok = gzclose(file) == Z_OK && ok;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

} // namespace vantor
