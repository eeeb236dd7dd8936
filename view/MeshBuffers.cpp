#include "view/MeshBuffers.h"

#include "io/MeshFile.h"

#include <stdexcept>

MeshBuffers::MeshBuffers(const MeshData& mesh)
    : m_corners{static_cast<GLsizei>(mesh.indices.size()),
                static_cast<GLsizei>(mesh.coarse.size())},
      m_normalsOffset(static_cast<GLintptr>(mesh.positions.size() * sizeof(float))) {
    glGenBuffers(1, &m_vertices);
    glGenBuffers(mesh.coarse.empty() ? 1 : 2, m_indices);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBufferData(GL_ARRAY_BUFFER, 2 * m_normalsOffset, nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, m_normalsOffset, mesh.positions.data());
    glBufferSubData(GL_ARRAY_BUFFER, m_normalsOffset, m_normalsOffset, mesh.normals.data());
    const std::vector<std::uint32_t>* triangles[2] = {&mesh.indices, &mesh.coarse};
    for (int i = 0; i < 2 && m_indices[i]; ++i) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices[i]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(triangles[i]->size() * sizeof(std::uint32_t)),
                     triangles[i]->data(), GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    bool outOfMemory = false;
    for (GLenum error; (error = glGetError()) != GL_NO_ERROR;)
        outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
    if (outOfMemory) {
        glDeleteBuffers(1, &m_vertices);
        glDeleteBuffers(2, m_indices);
        throw std::runtime_error("not enough GL memory for the mesh");
    }
}

MeshBuffers::~MeshBuffers() {
    glDeleteBuffers(1, &m_vertices);
    glDeleteBuffers(2, m_indices);
}

void MeshBuffers::draw(bool wire, bool coarse) const {
    const int which = coarse && m_indices[1] ? 1 : 0;
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices[which]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glNormalPointer(GL_FLOAT, 0, reinterpret_cast<const void*>(m_normalsOffset));
    glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
    glDrawElements(GL_TRIANGLES, m_corners[which], GL_UNSIGNED_INT, nullptr);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
