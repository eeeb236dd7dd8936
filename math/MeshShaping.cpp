#include "math/MeshShaping.h"

#include <meshoptimizer.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

using Vec = std::array<float, 3>;

Vec at(const std::vector<float>& xyz, std::size_t i) {
    return {xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]};
}

Vec minus(const Vec& a, const Vec& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

float dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// v / |v|, or v itself (zero) when it has no length.
Vec unit(const Vec& v) {
    const float length = std::sqrt(dot(v, v));
    return length > 0 ? Vec{v[0] / length, v[1] / length, v[2] / length} : v;
}

} // namespace

void weldWithCreases(MeshData& mesh, float creaseDegrees) {
    const std::vector<std::uint32_t>& index = mesh.indices;
    const std::size_t corners = index.size(), faces = corners / 3;
    const std::size_t vertices = mesh.positions.size() / 3;
    std::vector<unsigned> remap(vertices);
    const std::size_t places = meshopt_generateVertexRemap(
        remap.data(), index.data(), corners, mesh.positions.data(), vertices, sizeof(Vec));
    std::vector<float> place(3 * places);
    meshopt_remapVertexBuffer(place.data(), mesh.positions.data(), vertices, sizeof(Vec),
                              remap.data());

    // Each face's normal scaled by twice its area, and its direction.
    std::vector<Vec> scaled(faces), direction(faces);
    for (std::size_t f = 0; f < faces; ++f) {
        const Vec a = at(place, remap[index[3 * f]]);
        scaled[f] = cross(minus(at(place, remap[index[3 * f + 1]]), a),
                          minus(at(place, remap[index[3 * f + 2]]), a));
        direction[f] = unit(scaled[f]);
    }
    // The corners at each position: around[first[p] .. first[p + 1]).
    std::vector<std::uint32_t> first(places + 1, 0), around(corners);
    for (std::uint32_t v : index)
        ++first[remap[v] + 1];
    for (std::size_t p = 0; p < places; ++p)
        first[p + 1] += first[p];
    std::vector<std::uint32_t> fill(first.begin(), first.end() - 1);
    for (std::size_t c = 0; c < corners; ++c)
        around[fill[remap[index[c]]]++] = static_cast<std::uint32_t>(c);

    // Each corner's normal; the corners at one position that share it
    // become one vertex.
    const float within = std::cos(creaseDegrees * static_cast<float>(M_PI) / 180.0f);
    std::vector<float> positions, normals;
    positions.reserve(3 * places);
    normals.reserve(3 * places);
    std::vector<std::uint32_t> merged(corners);
    for (std::size_t p = 0; p < places; ++p) {
        const std::size_t firstHere = normals.size() / 3;
        for (std::uint32_t k = first[p]; k < first[p + 1]; ++k) {
            const std::uint32_t c = around[k];
            const Vec own = direction[c / 3];
            Vec normal = at(mesh.normals, index[c]);
            for (int pass = 0; pass < 2 && dot(normal, normal) == 0; ++pass)
                for (std::uint32_t j = first[p]; j < first[p + 1]; ++j) {
                    const std::size_t face = around[j] / 3;
                    if (pass == 1 || dot(direction[face], own) >= within)
                        for (int i = 0; i < 3; ++i)
                            normal[i] += scaled[face][i];
                }
            normal = unit(normal);
            std::size_t v = firstHere;
            while (v < normals.size() / 3 && std::memcmp(&normals[3 * v], &normal, sizeof normal))
                ++v;
            if (v == normals.size() / 3) {
                positions.insert(positions.end(), &place[3 * p], &place[3 * p + 3]);
                normals.insert(normals.end(), normal.begin(), normal.end());
            }
            merged[c] = static_cast<std::uint32_t>(v);
        }
    }
    mesh.positions.swap(positions);
    mesh.normals.swap(normals);
    mesh.indices.swap(merged);
    mesh.coarse.clear();
}

Refinement refine(MeshData& mesh, float longest, std::size_t cap) {
    Refinement result;
    const float limit = longest * longest;
    std::unordered_map<std::uint64_t, std::uint32_t> middles;
    // The vertex halfway between a and b, made on first use.
    const auto middle = [&](std::uint32_t a, std::uint32_t b) {
        const std::uint64_t key = std::uint64_t{std::min(a, b)} << 32 | std::max(a, b);
        const auto [it, made] =
            middles.emplace(key, static_cast<std::uint32_t>(mesh.positions.size() / 3));
        if (made) {
            const Vec pa = at(mesh.positions, a), pb = at(mesh.positions, b);
            const Vec na = at(mesh.normals, a), nb = at(mesh.normals, b);
            Vec n = unit({na[0] + nb[0], na[1] + nb[1], na[2] + nb[2]});
            if (dot(n, n) == 0)
                n = na;
            for (int i = 0; i < 3; ++i)
                mesh.positions.push_back((pa[i] + pb[i]) * 0.5f);
            mesh.normals.insert(mesh.normals.end(), n.begin(), n.end());
        }
        return it->second;
    };
    const auto length2 = [&](std::uint32_t a, std::uint32_t b) {
        const Vec d = minus(at(mesh.positions, a), at(mesh.positions, b));
        return dot(d, d);
    };
    for (;;) {
        const std::vector<std::uint32_t>& v = mesh.indices;
        const std::size_t triangles = v.size() / 3;
        // Bit k: the edge from corner k to corner k + 1 is too long.
        std::vector<std::uint8_t> split(triangles);
        std::size_t grown = triangles;
        for (std::size_t t = 0; t < triangles; ++t)
            for (int k = 0; k < 3; ++k)
                if (length2(v[3 * t + k], v[3 * t + (k + 1) % 3]) > limit)
                    split[t] |= static_cast<std::uint8_t>(1 << k), ++grown;
        if (grown == triangles || grown > cap) {
            result.capped = grown > cap;
            return result;
        }
        middles.clear();
        std::vector<std::uint32_t> out;
        out.reserve(3 * grown);
        for (std::size_t t = 0; t < triangles; ++t) {
            const int s = split[t];
            // Turned so that the split edges come first: w0-w1, then w1-w2.
            static const int kTurn[8] = {0, 0, 1, 0, 2, 2, 1, 0};
            const int turn = kTurn[s];
            const std::uint32_t w0 = v[3 * t + turn], w1 = v[3 * t + (turn + 1) % 3],
                                w2 = v[3 * t + (turn + 2) % 3];
            if (s == 0) {
                out.insert(out.end(), {w0, w1, w2});
            } else if (s == 7) {
                const std::uint32_t m0 = middle(w0, w1), m1 = middle(w1, w2), m2 = middle(w2, w0);
                out.insert(out.end(), {w0, m0, m2, m0, w1, m1, m2, m1, w2, m0, m1, m2});
            } else if (s == 1 || s == 2 || s == 4) {
                const std::uint32_t m0 = middle(w0, w1);
                out.insert(out.end(), {w0, m0, w2, m0, w1, w2});
            } else {
                const std::uint32_t m0 = middle(w0, w1), m1 = middle(w1, w2);
                out.insert(out.end(), {m0, w1, m1});
                if (length2(w0, m1) <= length2(m0, w2))
                    out.insert(out.end(), {w0, m0, m1, w0, m1, w2});
                else
                    out.insert(out.end(), {w0, m0, w2, m0, m1, w2});
            }
        }
        mesh.indices.swap(out);
        ++result.passes;
    }
}

void makeCoarseCopy(MeshData& mesh, std::size_t triangles) {
    mesh.coarse.clear();
    if (mesh.indices.size() <= 3 * triangles)
        return;
    mesh.coarse.resize(mesh.indices.size());
    float error = 0;
    // An error bound of 1 (the mesh's whole extent) leaves the count in charge.
    mesh.coarse.resize(meshopt_simplifySloppy(
        mesh.coarse.data(), mesh.indices.data(), mesh.indices.size(), mesh.positions.data(),
        mesh.positions.size() / 3, sizeof(Vec), 3 * triangles, 1.0f, &error));
    mesh.coarse.shrink_to_fit();
}
