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

// ImGui's frame count at each button's last press given to the backend.
int pressedAt[8];

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
        ImGui_ImplGLUT_KeyboardFunc(key, x, y);
        if (panelHasKeyboard())
            return;
    }
    processNormalKeys(key, x, y);
}

void keyUp(unsigned char key, int x, int y) {
    if (panelMade())
        ImGui_ImplGLUT_KeyboardUpFunc(key, x, y);
}

void specialDown(int key, int x, int y) {
    if (panelShown()) {
        ImGui_ImplGLUT_SpecialFunc(key, x, y);
        if (panelHasKeyboard())
            return;
    }
    processSpecialKeys(key, x, y);
}

void specialUp(int key, int x, int y) {
    if (panelMade())
        ImGui_ImplGLUT_SpecialUpFunc(key, x, y);
}

void mouseButton(int button, int state, int x, int y) {
    const unsigned bit = button >= 0 && button < 8 ? 1u << button : 0u;
    const auto give = [=] { ImGui_ImplGLUT_MouseFunc(button, state, x, y); };
    // ImGui 1.86 looks at the buttons once a frame, so a press released
    // before the next frame would go unseen (a quick click while a large mesh
    // takes 100 ms a frame): that release waits for the frame after.
    if (state == GLUT_UP && panelMade()) {
        if (panelShown() && bit && pressedAt[button] == ImGui::GetFrameCount())
            afterPanelFrame(give);
        else
            give();
    } else if (panelShown()) {
        give();
        if (bit)
            pressedAt[button] = ImGui::GetFrameCount();
    }
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
