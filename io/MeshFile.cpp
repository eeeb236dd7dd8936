#include "io/MeshFile.h"

#include "io/MeshRead.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {

struct Fit {
    double centre[3];
    double radius; // distance from the centre to the farthest position
};

// The centre of the positions' bounding box and the farthest distance from it.
Fit boundingFit(const std::vector<float>& positions) {
    Fit fit{{0, 0, 0}, 0};
    if (positions.size() < 3)
        return fit;
    for (int axis = 0; axis < 3; ++axis) {
        double low = positions[axis], high = positions[axis];
        for (size_t i = axis; i < positions.size(); i += 3) {
            low = std::min(low, static_cast<double>(positions[i]));
            high = std::max(high, static_cast<double>(positions[i]));
        }
        fit.centre[axis] = low + (high - low) / 2;
    }
    double farthest = 0;
    for (size_t i = 0; i + 2 < positions.size(); i += 3) {
        double squared = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const double d = positions[i + axis] - fit.centre[axis];
            squared += d * d;
        }
        farthest = std::max(farthest, squared);
    }
    fit.radius = std::sqrt(farthest);
    return fit;
}

} // namespace

MeshData readMeshFile(const std::string& path) {
    return MeshRead(path).take();
}

std::string meshProblem(const MeshData& mesh) {
    const size_t vertices = mesh.positions.size() / 3;
    if (mesh.positions.size() % 3 != 0 || mesh.normals.size() != mesh.positions.size() ||
        mesh.indices.size() % 3 != 0 || mesh.coarse.size() % 3 != 0)
        return "damaged or truncated (arrays of sizes that do not fit together)";
    const auto missing = [&](std::uint32_t i) { return i >= vertices; };
    if (std::any_of(mesh.indices.begin(), mesh.indices.end(), missing) ||
        std::any_of(mesh.coarse.begin(), mesh.coarse.end(), missing))
        return "damaged or truncated (a face names a missing vertex)";
    if (!std::all_of(mesh.positions.begin(), mesh.positions.end(),
                     [](float x) { return std::isfinite(x); }))
        return "NaN or infinite coordinate";
    if (mesh.indices.empty())
        return "no triangles";
    if (boundingFit(mesh.positions).radius == 0)
        return "all vertices at one point";
    return "";
}

void fitUnitSphere(MeshData& mesh) {
    const Fit fit = boundingFit(mesh.positions);
    if (fit.radius == 0)
        throw std::invalid_argument("fitUnitSphere: no extent");
    for (size_t i = 0; i < mesh.positions.size(); ++i)
        mesh.positions[i] =
            static_cast<float>((mesh.positions[i] - fit.centre[i % 3]) / fit.radius);
}
