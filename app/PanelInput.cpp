#include "app/PanelInput.h"

#include "app/Panel.h"
#include "app/Shell.h"
#include "view/Mouse.h"

#include <GL/freeglut.h>
#include <backends/imgui_impl_glut.h>
#include <imgui.h>

#include <functional>

namespace {

// The buttons pressed on the panel and not yet released, a bit each.
unsigned panelButtons = 0;

bool panelMade() {
    return ImGui::GetCurrentContext() != nullptr;
}

// ImGui's frame count at the last press given to the backend, by key (256 +
// a special key, 512 + a mouse button).
int pressedAt[1024];

int slot(int key, int kind) {
    return kind * 256 + (key & 255);
}

// Gives a press to the backend.
void press(int slotted, const std::function<void()>& give) {
    give();
    pressedAt[slotted] = ImGui::GetFrameCount();
}

// Gives a release to the backend. ImGui 1.86 looks at what is held once a
// frame, so a press released before the next frame would go unseen (a quick
// click while a large mesh takes 100 ms a frame): that release waits for the
// frame after.
void release(int slotted, std::function<void()> give) {
    if (!panelMade())
        return;
    if (panelShown() && pressedAt[slotted] == ImGui::GetFrameCount())
        afterPanelFrame(std::move(give));
    else
        give();
}

} // namespace

void installPanelInput() {
    glutKeyboardFunc(keyDown);
    glutKeyboardUpFunc(keyUp);
    glutSpecialFunc(specialDown);
    glutSpecialUpFunc(specialUp);
    glutMouseFunc(mouseButton);
    glutMotionFunc(mouseDrag);
    glutPassiveMotionFunc(mouseMove);
    glutMouseWheelFunc(mouseWheel);
}

void keyDown(unsigned char key, int x, int y) {
    // ImGui would move between fields on Tab; here it shows and hides the panel.
    if (key != '\t' && panelShown()) {
        press(slot(key, 0), [=] { ImGui_ImplGLUT_KeyboardFunc(key, x, y); });
        if (panelHasKeyboard())
            return;
    }
    processNormalKeys(key, x, y);
}

void keyUp(unsigned char key, int x, int y) {
    release(slot(key, 0), [=] { ImGui_ImplGLUT_KeyboardUpFunc(key, x, y); });
}

void specialDown(int key, int x, int y) {
    if (panelShown()) {
        press(slot(key, 1), [=] { ImGui_ImplGLUT_SpecialFunc(key, x, y); });
        if (panelHasKeyboard())
            return;
    }
    processSpecialKeys(key, x, y);
}

void specialUp(int key, int x, int y) {
    release(slot(key, 1), [=] { ImGui_ImplGLUT_SpecialUpFunc(key, x, y); });
}

void mouseButton(int button, int state, int x, int y) {
    const auto give = [=] { ImGui_ImplGLUT_MouseFunc(button, state, x, y); };
    if (state == GLUT_UP)
        release(slot(button, 2), give);
    else if (panelShown())
        press(slot(button, 2), give);
    const unsigned bit = button >= 0 && button < 8 ? 1u << button : 0u;
    if (state == GLUT_DOWN && panelOwnsPoint(x, y)) {
        panelButtons |= bit;
        return;
    }
    if (state == GLUT_UP && (panelButtons & bit)) {
        panelButtons &= ~bit;
        return;
    }
    MouseFunc(button, state, x, y);
}

void mouseDrag(int x, int y) {
    if (panelMade())
        ImGui_ImplGLUT_MotionFunc(x, y);
    if (panelButtons)
        PassiveMotionFunc(x, y);
    else
        MotionFunc(x, y);
}

void mouseMove(int x, int y) {
    if (panelMade())
        ImGui_ImplGLUT_MotionFunc(x, y);
    PassiveMotionFunc(x, y);
}

void mouseWheel(int wheel, int direction, int x, int y) {
    if (panelShown())
        ImGui_ImplGLUT_MouseWheelFunc(wheel, direction, x, y);
}
