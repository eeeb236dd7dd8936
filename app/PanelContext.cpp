#include "app/PanelContext.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <backends/imgui_impl_glut.h>
#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>

#include <unistd.h>

namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr float kFontPixels = 14.0f;
// Latin-1, lambda, and the square root to infinity (U+221A to U+221E).
const ImWchar kGlyphs[] = {0x0020, 0x00FF, 0x03BB, 0x03BB, 0x221A, 0x221E, 0};

} // namespace

PanelContext::PanelContext() {
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    // ImGui asserts on a font file it cannot open; its own font lacks only
    // the infinity sign.
    if (access(kFont, R_OK) == 0)
        io.Fonts->AddFontFromFileTTF(kFont, kFontPixels, nullptr, kGlyphs);
    ImGui::StyleColorsDark();
    ImGui::GetStyle().WindowRounding = 0.0f;
    ImGui_ImplGLUT_Init();
    ImGui_ImplOpenGL2_Init();
}

PanelContext::~PanelContext() {
    ImGui_ImplOpenGL2_Shutdown();
    ImGui_ImplGLUT_Shutdown();
    ImGui::DestroyContext();
}

void PanelContext::frame(const std::function<void()>& build) {
    // The GLUT backend learns the size only from a reshape callback, which
    // stays the camera's.
    ImGui::GetIO().DisplaySize = ImVec2(static_cast<float>(glutGet(GLUT_WINDOW_WIDTH)),
                                        static_cast<float>(glutGet(GLUT_WINDOW_HEIGHT)));
    ImGui_ImplOpenGL2_NewFrame();
    ImGui_ImplGLUT_NewFrame(); // calls ImGui::NewFrame
    build();
    ImGui::Render();
    // With the metric's program bound the panel would be drawn through it;
    // the current colour would carry into the next fixed-function frame.
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(0);
    glPushAttrib(GL_CURRENT_BIT);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glPopAttrib();
    glUseProgramObjectARB(program);
}
