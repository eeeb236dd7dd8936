#pragma once

#include <GL/glew.h>

#include "TempDir.h"
#include "app/Panel.h"
#include "app/SavedFiles.h"
#include "app/Shell.h"
#include "app/UniformSettings.h"
#include "metric/Metric.h"
#include "view/Camera.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <sstream>
#include <vector>

using Pixels = std::vector<unsigned char>;

// A metric file of the user's kind: the p-norm times the uniform `scale` (an
// array, as the GL names it scale[0]), with the numeric gradient; the tests
// set p to 4.
constexpr const char* kFourNorm =
    "#version 120\nuniform float scale[1] = float[1](1.0);\nuniform float p = 2.0;\n"
    "float metricNorm(vec3 v) {\n    vec3 a = abs(v);\n"
    "    return scale[0] * pow(pow(a.x, p) + pow(a.y, p) + pow(a.z, p), 1.0 / p);\n}\n"
    "vec3 metricGradient(vec3 v) { return numericGradient(v); }\n"
    "vec3 metricColour() { return vec3(0.9, 0.3, 0.85); }\n";

// While it lives, the working directory is this scratch folder, holding
// copies of the shipped shader files and riemann.mat.
class ShaderDir : public TempDir {
public:
    ShaderDir() : m_previous(std::filesystem::current_path()) {
        std::filesystem::copy(ZEMLAVOR_SHADER_DIR, path());
        std::filesystem::current_path(path());
    }
    ~ShaderDir() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

// Captures everything written to std::cerr while it lives.
class CerrCapture {
public:
    CerrCapture() : m_previous(std::cerr.rdbuf(m_buffer.rdbuf())) {}
    ~CerrCapture() { std::cerr.rdbuf(m_previous); }
    std::string text() const { return m_buffer.str(); }

private:
    std::ostringstream m_buffer;
    std::streambuf* m_previous;
};

// Fixture for tests on the test program's one 400x400 double-buffered GLUT
// window with a depth buffer (GlContext.cpp makes it; GLUT's main loop never
// runs). Each test starts with the viewer as at start-up (no metric, the wire
// sphere of detail 50 seen from (10, 10, 10), the whole window, no panel,
// meshes refined to 1/16) but with the status line off, in a scratch copy of
// the shaders, and fails if it leaves a GL error behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera->reset();
        Reshape(400, 400);
        glLoadIdentity();
        std::tie(wire, prim, showStatus, detail) = std::tuple(true, 0, false, 50);
        setRefine(1.0f / 16);
        if (panelShown())
            togglePanel();
        forgetSaveNote();
    }
    void TearDown() override {
        delete current;
        current = nullptr;
        glUseProgramObjectARB(0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "a GL error was left behind";
    }

    // The test's working directory, its standard error (quiet unless a test
    // captures it itself), and the viewer's camera.
    ShaderDir dir;
    CerrCapture quiet;
    Camera* const camera = Camera::getInstance();

public:
    // The back buffer as RGB bytes, 400x400, bottom row first.
    static Pixels readPixels() {
        Pixels pixels(400 * 400 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 400, 400, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    // One frame as the viewer draws it, read back before the swap.
    static Pixels frame() {
        drawScene();
        return readPixels();
    }
    // Draws a frame: whether anything shows in its top 30 rows, where the
    // failure box goes.
    static bool topBoxShown() {
        const Pixels p = frame();
        return std::any_of(p.end() - 30 * 400 * 3, p.end(), [](unsigned char c) { return c; });
    }
    // Polls the metric's files five times, 100 ms of the tests' own clock
    // apart: '!' for a poll that rebuilt, '.' for one that did not.
    static std::string settle() {
        static auto now = std::chrono::steady_clock::now();
        now = std::max(now, std::chrono::steady_clock::now());
        std::string polls;
        for (int i = 0; i < 5; ++i)
            polls += reloadChanged(now += std::chrono::milliseconds(100)) ? '!' : '.';
        return polls;
    }
    // Names of the live shader and program objects. The GL names new objects
    // past the highest name it gave, so a fresh probe is named above them all.
    static std::set<GLuint> live() {
        const GLhandleARB probe = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
        glDeleteObjectARB(probe);
        std::set<GLuint> names;
        for (GLuint name = 1; name < probe; ++name)
            if (glIsShader(name) || glIsProgram(name))
                names.insert(name);
        return names;
    }
};
