#include "math/MeshWeld.h"

#include <meshoptimizer.h>

#include <cmath>
#include <cstring>

namespace {

constexpr size_t kStride = 7;

bool samePosition(const float* a, const float* b) {
    return std::memcmp(a, b, 3 * sizeof(float)) == 0;
}

} // namespace

MeshData weldCorners(const std::vector<float>& corners) {
    const size_t count = corners.size() / kStride / 3 * 3;
    std::vector<unsigned> kept;
    for (size_t t = 0; t < count; t += 3) {
        const float* c[3] = {&corners[t * kStride], &corners[(t + 1) * kStride],
                             &corners[(t + 2) * kStride]};
        const bool defined = c[0][6] > 0.5f && c[1][6] > 0.5f && c[2][6] > 0.5f;
        if (defined && !samePosition(c[0], c[1]) && !samePosition(c[1], c[2]) &&
            !samePosition(c[2], c[0]))
            kept.insert(kept.end(), {unsigned(t), unsigned(t + 1), unsigned(t + 2)});
    }

    if (kept.empty())
        return {};
    // The flag is left out of the comparison: every kept corner has it.
    const size_t vertexBytes = kStride * sizeof(float);
    const meshopt_Stream streams[] = {{corners.data(), 6 * sizeof(float), vertexBytes}};
    std::vector<unsigned> remap(count);
    const size_t unique =
        meshopt_generateVertexRemapMulti(remap.data(), kept.data(), kept.size(), count, streams, 1);
    std::vector<float> vertices(unique * kStride);
    meshopt_remapVertexBuffer(vertices.data(), corners.data(), count, vertexBytes, remap.data());

    MeshData mesh;
    mesh.indices.resize(kept.size());
    meshopt_remapIndexBuffer(mesh.indices.data(), kept.data(), kept.size(), remap.data());
    mesh.positions.reserve(unique * 3);
    mesh.normals.reserve(unique * 3);
    for (size_t v = 0; v < unique; ++v) {
        const float* p = &vertices[v * kStride];
        const float length = std::sqrt(p[3] * p[3] + p[4] * p[4] + p[5] * p[5]);
        const float scale = length > 0 ? 1 / length : 0;
        mesh.positions.insert(mesh.positions.end(), {p[0], p[1], p[2]});
        mesh.normals.insert(mesh.normals.end(), {p[3] * scale, p[4] * scale, p[5] * scale});
    }
    return mesh;
}
