#pragma once

#include <GL/glew.h>

struct MeshData;

// A triangle mesh held by the GL: positions and normals in one vertex buffer,
// the triangles' corners in one index buffer, uploaded once. Owns both
// buffers; the GL context must outlive it.
class MeshBuffers {
public:
    // Uploads the mesh. Throws std::runtime_error("not enough GL memory for
    // the mesh") if the GL cannot hold it; nothing is left allocated then.
    explicit MeshBuffers(const MeshData& mesh);
    ~MeshBuffers();
    MeshBuffers(const MeshBuffers&) = delete;
    MeshBuffers& operator=(const MeshBuffers&) = delete;

    // Draws every triangle, filled or as its edges (wire), positions as
    // gl_Vertex and normals as gl_Normal under whatever program is bound.
    // Afterwards no buffer is bound, the vertex and normal arrays are
    // disabled and both faces are filled again: GLUT's own shapes draw from
    // client memory and draw nothing otherwise.
    void draw(bool wire) const;

    // The vertex buffer's GL name.
    GLuint vertexBuffer() const { return m_vertices; }

private:
    GLuint m_vertices = 0;
    GLuint m_indices = 0;
    GLsizei m_corners = 0;
    GLintptr m_normalsOffset = 0;
};
