#pragma once

#include <GL/glew.h>

#include <functional>
#include <vector>

// Captures what the vertex stage of the bound program hands to transform
// feedback (the varyings it was linked to capture) while something is drawn
// as triangles, with nothing rasterized. Owns a buffer and two queries; the
// GL context must outlive it.
class VertexCapture {
public:
    VertexCapture();
    ~VertexCapture();
    VertexCapture(const VertexCapture&) = delete;
    VertexCapture& operator=(const VertexCapture&) = delete;

    // Calls `draw` twice, first to count its triangles, then to capture them:
    // `floatsPerVertex` floats a corner, three corners a triangle, in the
    // order drawn (strips and fans come apart into triangles that keep their
    // winding). `draw` must draw the same filled triangles both times and
    // nothing else. Throws std::runtime_error with the reason if the GL has
    // no transform feedback, or not the memory for the captured vertices.
    std::vector<float> capture(const std::function<void()>& draw, int floatsPerVertex);

private:
    GLuint m_buffer = 0;
    GLuint m_generated = 0;
    GLuint m_written = 0;
};
