#include "OrientationClassifier.h"

namespace zvipengine {

OrientationResult OrientationClassifier::classify(const float row[3], const float column[3], double spacingSlice)
{
    OrientationResult result;
    result.spacingSlice = spacingSlice;
    const float nx = row[1] * column[2] - row[2] * column[1];
    const float ny = row[2] * column[0] - row[0] * column[2];
    const float nz = row[0] * column[1] - row[1] * column[0];
    const float xx = nx * nx;
    const float yy = ny * ny;
    const float zz = nz * nz;
    const float t = 0.70710677f;
    const float rx = row[0];
    const float ry = row[1];
    const float rz = row[2];
    float dominant;
    std::int32_t& code = result.orientationType;
    if (zz > xx && zz > yy) {
        dominant = nz;
        if (nz > 0.0f)
            code = rx > t ? 0 : ry > t ? 1 : rx < -t ? 2 : ry < -t ? 3 : -1;
        else
            code = rx < -t ? 4 : ry < -t ? 5 : rx > t ? 6 : ry > t ? 7 : -1;
    } else if (yy > xx && yy > zz) {
        dominant = ny;
        if (ny > 0.0f) {
            code = rx > t ? 8 : rz < -t ? 9 : rx < -t ? 10 : rz > t ? 11 : -1;
            if (code == 8 && xx == 0.0f && column[1] > 0.5f)
                code = 0;
        } else {
            code = rx < -t ? 12 : rz > t ? 13 : rx > t ? 14 : rz < -t ? 15 : -1;
        }
    } else if (xx > yy && xx > zz) {
        dominant = nx;
        if (nx <= 0.0f)
            code = ry > t ? 16 : rz < -t ? 17 : ry < -t ? 18 : rz > t ? 19 : -1;
        else
            code = ry < -t ? 20 : rz > t ? 21 : ry > t ? 22 : rz < -t ? 23 : -1;
    } else {
        return result;
    }
    result.reverseOrder = dominant * spacingSlice > 0.0;
    if (result.spacingSlice > 0.0)
        result.spacingSlice = -result.spacingSlice;
    return result;
}

} // namespace zvipengine
