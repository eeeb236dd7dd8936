#include "view/MeshBuffers.h"

#include "io/MeshFile.h"

#include <stdexcept>

MeshBuffers::MeshBuffers(const MeshData& mesh)
    : m_corners(static_cast<GLsizei>(mesh.indices.size())),
      m_normalsOffset(static_cast<GLintptr>(mesh.positions.size() * sizeof(float))) {
    glGenBuffers(1, &m_vertices);
    glGenBuffers(1, &m_indices);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBufferData(GL_ARRAY_BUFFER, 2 * m_normalsOffset, nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, m_normalsOffset, mesh.positions.data());
    glBufferSubData(GL_ARRAY_BUFFER, m_normalsOffset, m_normalsOffset, mesh.normals.data());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(mesh.indices[0])),
                 mesh.indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    bool outOfMemory = false;
    for (GLenum error; (error = glGetError()) != GL_NO_ERROR;)
        outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
    if (outOfMemory) {
        glDeleteBuffers(1, &m_vertices);
        glDeleteBuffers(1, &m_indices);
        throw std::runtime_error("not enough GL memory for the mesh");
    }
}

MeshBuffers::~MeshBuffers() {
    glDeleteBuffers(1, &m_vertices);
    glDeleteBuffers(1, &m_indices);
}

void MeshBuffers::draw(bool wire) const {
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glNormalPointer(GL_FLOAT, 0, reinterpret_cast<const void*>(m_normalsOffset));
    glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
    glDrawElements(GL_TRIANGLES, m_corners, GL_UNSIGNED_INT, nullptr);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
