#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

struct MeshData;

// A triangle mesh held by the GL: positions and normals in one vertex buffer,
// the triangles' corners in one index buffer and those of its simplified copy
// (MeshData::coarse), if it has one, in another, uploaded once. Owns the
// buffers; the GL context must outlive it.
class MeshBuffers {
public:
    // Uploads the mesh. Throws std::runtime_error("not enough GL memory for
    // the mesh") if the GL cannot hold it; nothing is left allocated then.
    explicit MeshBuffers(const MeshData& mesh);
    // The same, with the lines a wireframe draws instead of the triangles'
    // edges: pairs of vertex indices.
    MeshBuffers(const MeshData& mesh, const std::vector<std::uint32_t>& lines);
    ~MeshBuffers();
    MeshBuffers(const MeshBuffers&) = delete;
    MeshBuffers& operator=(const MeshBuffers&) = delete;

    // Draws every triangle of the mesh, or of its copy when `coarse` and
    // there is one, filled or as its edges or lines (wire), positions as gl_Vertex and
    // normals as gl_Normal under whatever program is bound. Afterwards no
    // buffer is bound, the vertex and normal arrays are disabled and both
    // faces are filled again: GLUT's own shapes draw from client memory and
    // draw nothing otherwise.
    void draw(bool wire, bool coarse = false) const;

    // The vertex buffer's GL name.
    GLuint vertexBuffer() const { return m_vertices; }

private:
    GLuint m_vertices = 0;
    // The whole mesh's triangles, its copy's, the wireframe's lines (0 for
    // none), and their numbers of indices.
    GLuint m_indices[3] = {};
    GLsizei m_corners[3] = {};
    GLintptr m_normalsOffset = 0;
};
