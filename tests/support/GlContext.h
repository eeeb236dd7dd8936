#pragma once

#include <GL/glew.h>

#include "TempDir.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <vector>

// Fixture for tests on the test program's one 400x400 double-buffered GLUT
// window with a depth buffer (GlContext.cpp makes it; GLUT's main loop never
// runs). Each test starts with no program bound, identity matrices and the
// whole viewport, and fails if it leaves a GL error behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override {
        glUseProgramObjectARB(0);
        glViewport(0, 0, 400, 400);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        while (glGetError() != GL_NO_ERROR) {
        }
    }
    void TearDown() override {
        glUseProgramObjectARB(0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "a GL error was left behind";
    }

    // The back buffer as RGB bytes, 400x400, bottom row first.
    static std::vector<unsigned char> readPixels() {
        std::vector<unsigned char> pixels(400 * 400 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 400, 400, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    static std::vector<float> getFloats(GLenum name, int count) {
        std::vector<float> values(count);
        glGetFloatv(name, values.data());
        return values;
    }
};

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
