#include "math/Sphere.h"

#include <cmath>

SphereGrid unitSphere(int slices, int stacks) {
    constexpr double kPi = 3.14159265358979323846;
    SphereGrid grid;
    MeshData& mesh = grid.surface;
    mesh.positions = {0, 0, 1, 0, 0, -1};
    for (int i = 1; i < stacks; ++i) {
        const double phi = kPi * i / stacks;
        for (int j = 0; j < slices; ++j) {
            const double theta = -2 * kPi * j / slices;
            mesh.positions.insert(mesh.positions.end(),
                                  {static_cast<float>(std::cos(theta) * std::sin(phi)),
                                   static_cast<float>(std::sin(theta) * std::sin(phi)),
                                   static_cast<float>(std::cos(phi))});
        }
    }
    mesh.normals = mesh.positions;

    // Vertex j of parallel i (1 .. stacks - 1); the poles stand for
    // parallels 0 and stacks.
    const auto at = [&](int i, int j) -> std::uint32_t {
        if (i == 0 || i == stacks)
            return i == 0 ? 0 : 1;
        return static_cast<std::uint32_t>(2 + (i - 1) * slices + j % slices);
    };
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            // The band's quad, upper a-b, lower c-d; j + 1 lies clockwise of
            // j seen from above, so a, b, c runs counter-clockwise outside.
            const std::uint32_t a = at(i, j), b = at(i, j + 1), c = at(i + 1, j),
                                d = at(i + 1, j + 1);
            if (i > 0)
                mesh.indices.insert(mesh.indices.end(), {a, b, c});
            if (i < stacks - 1)
                mesh.indices.insert(mesh.indices.end(), {b, d, c});
            grid.lines.insert(grid.lines.end(), {a, c});
            if (i > 0)
                grid.lines.insert(grid.lines.end(), {a, b});
        }
    return grid;
}
