#pragma once

#include <functional>

// Dear ImGui's context with its GLUT and OpenGL2 backends, for the viewer's
// one window: made and destroyed on the GLUT thread with the window's GL
// context current. The panel's text is DejaVu Sans, which has the infinity
// sign, or ImGui's own font where that file is missing. Nothing is saved to
// disk (no imgui.ini). The input callbacks stay the viewer's (PanelInput.h):
// the GLUT backend's are called from them, never installed.
class PanelContext {
public:
    PanelContext();
    ~PanelContext();
    PanelContext(const PanelContext&) = delete;
    PanelContext& operator=(const PanelContext&) = delete;

    // Draws over the frame the widgets `build` declares with ImGui calls, at
    // the window's size as GLUT has it now. Unbinds the metric's program while
    // it draws and leaves the GL as it found it.
    void frame(const std::function<void()>& build);
};
