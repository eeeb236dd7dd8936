#include "view/VertexCapture.h"

#include <stdexcept>

namespace {

bool hasTransformFeedback() {
    return glBeginTransformFeedback && glBindBufferBase && glGenQueries;
}

GLuint queryResult(GLuint query) {
    GLuint result = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &result);
    return result;
}

} // namespace

VertexCapture::VertexCapture() {
    if (!hasTransformFeedback())
        return;
    glGenBuffers(1, &m_buffer);
    glGenQueries(1, &m_generated);
    glGenQueries(1, &m_written);
}

VertexCapture::~VertexCapture() {
    if (!hasTransformFeedback())
        return;
    glDeleteQueries(1, &m_written);
    glDeleteQueries(1, &m_generated);
    glDeleteBuffers(1, &m_buffer);
}

std::vector<float> VertexCapture::capture(const std::function<void()>& draw, int floatsPerVertex) {
    if (!hasTransformFeedback())
        throw std::runtime_error("this GL cannot capture vertices (no transform feedback)");
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginQuery(GL_PRIMITIVES_GENERATED, m_generated);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    const GLuint triangles = queryResult(m_generated);
    const size_t floats = static_cast<size_t>(triangles) * 3 * floatsPerVertex;

    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, m_buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, static_cast<GLsizeiptr>(floats * sizeof(float)),
                 nullptr, GL_STREAM_READ);
    const bool outOfMemory = glGetError() == GL_OUT_OF_MEMORY;
    GLuint written = 0;
    std::vector<float> corners;
    if (!outOfMemory && triangles > 0) {
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, m_buffer);
        glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, m_written);
        glBeginTransformFeedback(GL_TRIANGLES);
        draw();
        glEndTransformFeedback();
        glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
        written = queryResult(m_written);
        corners.resize(static_cast<size_t>(written) * 3 * floatsPerVertex);
        glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0,
                           static_cast<GLsizeiptr>(corners.size() * sizeof(float)), corners.data());
        // Unbinds the buffer from the target as well as from the index.
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, 0);
    }
    // Frees the GL's copy at once: a large shape's is tens of megabytes.
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, m_buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, nullptr, GL_STREAM_READ);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, 0);
    glDisable(GL_RASTERIZER_DISCARD);
    if (outOfMemory)
        throw std::runtime_error("not enough GL memory for the captured vertices");
    return corners;
}
