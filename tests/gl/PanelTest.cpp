// The panel on a real GL context, driven through the
// viewer's own GLUT callbacks.
#include "app/PanelInput.h"
#include "support/GlContext.h"

#include <GL/glut.h>
#include <gmock/gmock.h>
#include <imgui_internal.h>

namespace {

using namespace testing;
using PanelTest = GlTest;

// Whether any pixel of the frame differs from `before` in columns [x0, x1)
// of the top 200 rows.
bool differs(const Pixels& now, const Pixels& before, int x0, int x1) {
    for (size_t row = 200; row < 400; ++row)
        for (size_t i = (row * 400 + x0) * 3; i < (row * 400 + x1) * 3; ++i)
            if (now[i] != before[i])
                return true;
    return false;
}

// The first row at which the pointer at x hovers the panel's item `label`.
int rowOf(const char* label, int x) {
    for (int y = 0; y < 400; y += 4)
        if ((mouseMove(x, y), GlTest::frame(),
             GImGui->HoveredId == ImGui::FindWindowByName("Zemlavor")->GetID(label)))
            return y;
    return -1;
}

// Tab shows the panel at the top left, at most 320 pixels wide, and hides it
// again, leaving the picture as it was. A right or middle drag that starts on
// the shown panel moves no camera; one from elsewhere, or with the panel
// hidden, does.
TEST_F(PanelTest, TabShowsThePanelWhichKeepsItsDrags) {
    const Pixels before = frame();
    const std::tuple<bool, int, int, bool> cases[] = {{false, GLUT_RIGHT_BUTTON, 20, true},
                                                      {true, GLUT_RIGHT_BUTTON, 20, false},
                                                      {false, GLUT_MIDDLE_BUTTON, 30, false},
                                                      {false, GLUT_RIGHT_BUTTON, 380, true},
                                                      {true, GLUT_MIDDLE_BUTTON, 20, true}};
    for (const auto& [tab, button, at, moves] : cases) {
        camera->reset();
        if (tab)
            keyDown('\t', 0, 0);
        frame(); // ImGui sizes a window the first frame it appears, then draws it
        const Pixels now = frame();
        EXPECT_EQ(differs(now, before, 0, 200), panelShown());
        EXPECT_FALSE(differs(now, before, 320, 400));
        int edge = 0; // the first column the panel does not own
        while (panelOwnsPoint(edge, 20))
            ++edge;
        EXPECT_TRUE(!edge || (differs(now, before, edge - 1, edge) &&
                              !differs(now, before, edge, edge + 1)));
        mouseMove(at, at);
        mouseButton(button, GLUT_DOWN, at, at);
        frame();
        mouseDrag(at + 40, at - 10);
        mouseButton(button, GLUT_UP, at + 40, at - 10);
        EXPECT_EQ(camera->getCartLocation()[0] != 10, moves) << at << " shown " << panelShown();
    }
    camera->reset();
    EXPECT_EQ(frame(), before);
    // Shown, it leaves the metric's program bound, and does what it was
    // asked once.
    changeMetric(0);
    keyDown('\t', 0, 0);
    int runs = 0;
    afterPanelFrame([&] { ++runs; });
    frame();
    frame();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), current->program().getHandle());
}

// Dragging the matrix's entry (0, 1) 40 pixels right in the panel adds 0.4
// to it and its mirror in riemann.mat, from which the watcher rebuilds the
// metric.
TEST_F(PanelTest, MatrixEditsWriteTheFileThatRebuilds) {
    keyDown('\t', 0, 0);
    const std::string shipped = slurp("riemann.mat");
    for (const char* matrix : {"words\n", "1e39\n", "-1\n", "1e-9\n", "1e9\n"}) {
        dir.write("riemann.mat", matrix); // every verdict the panel can give
        changeMetric(2);
        frame();
    }
    dir.write("riemann.mat", shipped);
    changeMetric(2);
    const int y = rowOf("##g01", 140);
    mouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 140, y);
    frame();
    mouseDrag(180, y);
    frame();
    mouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 180, y);
    frame();
    EXPECT_EQ(slurp("riemann.mat"), "1 1 0\n1 2 0.4\n0 0.4 0.6\n");
    EXPECT_EQ(settle(), ".!...");
    float g[9] = {};
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "g_matrix"), g);
    EXPECT_THAT(g, ElementsAre(1, 1, 0, 1, 2, 0.4f, 0, 0.4f, 0.6f));
}

} // namespace
