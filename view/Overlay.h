#pragma once

#include <string>
#include <vector>

// Lines of text over the picture, in a corner of the viewport: GLUT's 8x13
// bitmap font on an opaque dark box fitted to them. Text is UTF-8: Latin-1
// characters come from the font, "∞" from a glyph of its own, any other
// character is drawn as '?' and control characters as spaces. A line wider
// than the viewport goes on in the next, broken at its last space that fits
// (or where the width ends, if none does); lines below the viewport's bottom
// are left out.
//
// Drawing text costs the software renderer a few microseconds a character,
// so the box is drawn once, read back, and from then on copied in as pixels
// until the lines or the viewport's size change.
class Overlay {
public:
    enum class Corner { TopLeft, BottomLeft };

    // `rgb` is the text's colour.
    Overlay(Corner corner, const float rgb[3]);

    // Draws `lines` (top first), after the picture and before the swap. Needs
    // a current GL context; unbinds the program while it draws and leaves the
    // GL as it found it. No lines, nothing drawn.
    void draw(const std::vector<std::string>& lines);

    // Pixels from the box's edges to the text, and per line.
    static constexpr int kMargin = 4;
    static constexpr int kLineHeight = 15;
    static constexpr int kCharWidth = 8;

private:
    Corner m_corner;
    float m_colour[3];
    // The lines last drawn and the viewport's size then; the box's size in
    // pixels (0 wide when there was nothing to draw) and its RGB pixels,
    // bottom row first.
    std::vector<std::string> m_lines;
    int m_viewportWidth = 0;
    int m_viewportHeight = 0;
    int m_width = 0;
    int m_height = 0;
    std::vector<unsigned char> m_pixels;
};
