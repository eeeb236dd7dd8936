#include "view/Overlay.h"

// GLEW must come before any other GL header.
#include <GL/glew.h>

#include <GL/freeglut.h>

#include <algorithm>

namespace {

// Stands for "∞" in the font's bytes; control characters never reach the
// font, so it is free.
constexpr char kInfinity = '\x01';

// The font's 8x13 cell, bottom row first; the baseline is row 2.
constexpr GLubyte kInfinityGlyph[13] = {0, 0, 0, 0x24, 0x5a, 0x5a, 0x24, 0, 0, 0, 0, 0, 0};

// UTF-8 to the bytes of the Latin-1 font, with kInfinity for U+221E.
std::string fontBytes(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const auto continues = [&](size_t k) {
            return k < utf8.size() && (static_cast<unsigned char>(utf8[k]) & 0xc0) == 0x80;
        };
        if (c < 0x80) {
            out += c < 0x20 || c == 0x7f ? ' ' : static_cast<char>(c);
        } else if (utf8.compare(i, 3, "\xe2\x88\x9e") == 0) {
            out += kInfinity;
            i += 2;
        } else if ((c == 0xc2 || c == 0xc3) && continues(i + 1)) {
            const int code = ((c & 3) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3f);
            out += code < 0xa0 ? ' ' : static_cast<char>(code);
        } else {
            // Any other character, or a stray byte: one '?'.
            out += '?';
            while (continues(i + 1))
                ++i;
        }
    }
    return out;
}

// Draws one line of font bytes from the current raster position.
void drawLine(const std::string& bytes) {
    size_t start = 0;
    while (start <= bytes.size()) {
        const size_t end = std::min(bytes.find(kInfinity, start), bytes.size());
        const std::string run = bytes.substr(start, end - start);
        glutBitmapString(GLUT_BITMAP_8_BY_13, reinterpret_cast<const unsigned char*>(run.c_str()));
        if (end < bytes.size())
            glBitmap(8, 13, 0, 2, 8, 0, kInfinityGlyph);
        start = end + 1;
    }
}

} // namespace

Overlay::Overlay(Corner corner, const float rgb[3])
    : m_corner(corner), m_colour{rgb[0], rgb[1], rgb[2]} {}

void Overlay::draw(const std::vector<std::string>& lines) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const bool stale =
        lines != m_lines || viewport[2] != m_viewportWidth || viewport[3] != m_viewportHeight;
    std::vector<std::string> text;
    if (stale) {
        m_lines = lines;
        m_viewportWidth = viewport[2];
        m_viewportHeight = viewport[3];
        const size_t columns = std::max(0, (viewport[2] - 2 * kMargin) / kCharWidth);
        const size_t rows = std::max(0, (viewport[3] - 2 * kMargin) / kLineHeight);
        for (size_t i = 0; i < lines.size() && text.size() < rows && columns > 0; ++i) {
            std::string bytes = fontBytes(lines[i]);
            do {
                // At the last space that fits, else where the width ends.
                size_t cut = bytes.size();
                if (cut > columns) {
                    cut = bytes.rfind(' ', columns);
                    cut = cut == std::string::npos || cut == 0 ? columns : cut;
                }
                text.push_back(bytes.substr(0, cut));
                bytes.erase(0, bytes.compare(cut, 1, " ") == 0 ? cut + 1 : cut);
            } while (!bytes.empty() && text.size() < rows);
        }
        size_t widest = 0;
        for (const std::string& line : text)
            widest = std::max(widest, line.size());
        m_width = widest > 0 ? static_cast<int>(widest) * kCharWidth + 2 * kMargin : 0;
        m_height = static_cast<int>(text.size()) * kLineHeight + 2 * kMargin;
    }
    if (m_width == 0)
        return;
    // In window coordinates, y up.
    const int x = viewport[0];
    const int y = m_corner == Corner::TopLeft ? viewport[1] + viewport[3] - m_height : viewport[1];

    // Raster positions and pixels go through a bound program: draw with none.
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(0);
    glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_SCISSOR_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glDisable(GL_DEPTH_TEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (stale) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, m_width, m_height);
        glClearColor(0.08f, 0.08f, 0.12f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        // glWindowPos latches the current colour, so the colour comes first.
        glColor3fv(m_colour);
        for (size_t i = 0; i < text.size(); ++i) {
            glWindowPos2i(x + kMargin,
                          y + m_height - kMargin - static_cast<int>(i + 1) * kLineHeight + 4);
            drawLine(text[i]);
        }
        m_pixels.resize(static_cast<size_t>(m_width) * m_height * 3);
        glReadPixels(x, y, m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, m_pixels.data());
    } else {
        glWindowPos2i(x, y);
        glDrawPixels(m_width, m_height, GL_RGB, GL_UNSIGNED_BYTE, m_pixels.data());
    }
    glPopClientAttrib();
    glPopAttrib();
    glUseProgramObjectARB(program);
}
