#include "view/MeshBuffers.h"

#include "io/MeshFile.h"

#include <stdexcept>

MeshBuffers::MeshBuffers(const MeshData& mesh) : MeshBuffers(mesh, {}) {}

MeshBuffers::MeshBuffers(const MeshData& mesh, const std::vector<std::uint32_t>& lines)
    : m_corners{static_cast<GLsizei>(mesh.indices.size()), static_cast<GLsizei>(mesh.coarse.size()),
                static_cast<GLsizei>(lines.size())},
      m_normalsOffset(static_cast<GLintptr>(mesh.positions.size() * sizeof(float))) {
    const std::vector<std::uint32_t>* lists[3] = {&mesh.indices, &mesh.coarse, &lines};
    glGenBuffers(1, &m_vertices);
    for (int i = 0; i < 3; ++i)
        if (i == 0 || !lists[i]->empty())
            glGenBuffers(1, &m_indices[i]);
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBufferData(GL_ARRAY_BUFFER, 2 * m_normalsOffset, nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, m_normalsOffset, mesh.positions.data());
    glBufferSubData(GL_ARRAY_BUFFER, m_normalsOffset, m_normalsOffset, mesh.normals.data());
    for (int i = 0; i < 3; ++i) {
        if (!m_indices[i])
            continue;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices[i]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                     static_cast<GLsizeiptr>(lists[i]->size() * sizeof(std::uint32_t)),
                     lists[i]->data(), GL_STATIC_DRAW);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    bool outOfMemory = false;
    for (GLenum error; (error = glGetError()) != GL_NO_ERROR;)
        outOfMemory = outOfMemory || error == GL_OUT_OF_MEMORY;
    if (outOfMemory) {
        glDeleteBuffers(1, &m_vertices);
        glDeleteBuffers(3, m_indices);
        throw std::runtime_error("not enough GL memory for the mesh");
    }
}

MeshBuffers::~MeshBuffers() {
    glDeleteBuffers(1, &m_vertices);
    glDeleteBuffers(3, m_indices);
}

void MeshBuffers::draw(bool wire, bool coarse) const {
    const int which = wire && m_indices[2] ? 2 : coarse && m_indices[1] ? 1 : 0;
    glBindBuffer(GL_ARRAY_BUFFER, m_vertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices[which]);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, nullptr);
    glNormalPointer(GL_FLOAT, 0, reinterpret_cast<const void*>(m_normalsOffset));
    glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
    glDrawElements(which == 2 ? GL_LINES : GL_TRIANGLES, m_corners[which], GL_UNSIGNED_INT,
                   nullptr);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
}
