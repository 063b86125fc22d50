#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantor {

struct TriangleMesh {
    std::vector<std::array<float, 3>> vertices; // millimetres
    std::vector<std::array<float, 3>> normals;  // unit length, one per vertex
    std::vector<std::array<std::int32_t, 3>> triangles;
};

// Writes the mesh by the file's extension: ".stl" (binary, a normal per
// facet), ".ply" (binary little-endian, vertex normals) or ".obj" (text,
// vertex normals). False with the reason in error for another extension or
// a failed write.
bool writeMesh(const std::string& path, const TriangleMesh& mesh, std::string& error);

// True when the extension names a format writeMesh knows.
bool knownMeshFormat(const std::string& path);

} // namespace vantor
