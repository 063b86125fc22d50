#include "MeshWriter.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace vantor {

namespace {

std::string extensionOf(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

template <typename T>
void put(std::ofstream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

void writeStl(std::ofstream& out, const TriangleMesh& mesh)
{
    char header[80] = {};
    std::strncpy(header, "VANTOR iso-surface, patient coordinates (LPS) in mm", sizeof header - 1);
    out.write(header, sizeof header);
    put(out, static_cast<std::uint32_t>(mesh.triangles.size()));
    for (const auto& triangle : mesh.triangles) {
        const auto& a = mesh.vertices[static_cast<std::size_t>(triangle[0])];
        const auto& b = mesh.vertices[static_cast<std::size_t>(triangle[1])];
        const auto& c = mesh.vertices[static_cast<std::size_t>(triangle[2])];
        const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
        const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (float& component : n)
            component = length > 0 ? component / length : 0.0F;
        for (float component : n)
            put(out, component);
        for (const auto* corner : {&a, &b, &c})
            for (float component : *corner)
                put(out, component);
        put(out, std::uint16_t{0});
    }
}

void writePly(std::ofstream& out, const TriangleMesh& mesh)
{
    out << "ply\nformat binary_little_endian 1.0\ncomment VANTOR iso-surface, patient coordinates (LPS) in mm\n"
        << "element vertex " << mesh.vertices.size()
        << "\nproperty float x\nproperty float y\nproperty float z\nproperty float nx\nproperty float ny\n"
           "property float nz\nelement face "
        << mesh.triangles.size() << "\nproperty list uchar int vertex_indices\nend_header\n";
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        for (float component : mesh.vertices[i])
            put(out, component);
        for (float component : mesh.normals[i])
            put(out, component);
    }
    for (const auto& triangle : mesh.triangles) {
        put(out, std::uint8_t{3});
        for (std::int32_t corner : triangle)
            put(out, corner);
    }
}

void writeObj(std::ofstream& out, const TriangleMesh& mesh)
{
    out << "# VANTOR iso-surface, patient coordinates (LPS) in mm\n";
    char line[128];
    for (const auto& v : mesh.vertices) {
        std::snprintf(line, sizeof line, "v %.4f %.4f %.4f\n", double(v[0]), double(v[1]), double(v[2]));
        out << line;
    }
    for (const auto& n : mesh.normals) {
        std::snprintf(line, sizeof line, "vn %.5f %.5f %.5f\n", double(n[0]), double(n[1]), double(n[2]));
        out << line;
    }
    for (const auto& t : mesh.triangles)
        out << "f " << t[0] + 1 << "//" << t[0] + 1 << ' ' << t[1] + 1 << "//" << t[1] + 1 << ' ' << t[2] + 1
            << "//" << t[2] + 1 << '\n';
}

} // namespace

bool knownMeshFormat(const std::string& path)
{
    const std::string extension = extensionOf(path);
    return extension == ".stl" || extension == ".ply" || extension == ".obj";
}

bool writeMesh(const std::string& path, const TriangleMesh& mesh, std::string& error)
{
    if (!knownMeshFormat(path)) {
        error = "unknown mesh format of " + path + " (.stl, .ply or .obj)";
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    if (!out) {
        error = "cannot create " + path;
        return false;
    }
    const std::string extension = extensionOf(path);
    if (extension == ".stl")
        writeStl(out, mesh);
    else if (extension == ".ply")
        writePly(out, mesh);
    else
        writeObj(out, mesh);
    out.close();
    if (!out) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace vantor
