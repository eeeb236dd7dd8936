#pragma once

#include <GL/glew.h>

#include "TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A real GL context for a whole test program: one 400x400 double-buffered
// GLUT window with a depth buffer, GLEW initialised. Tests draw into the back
// buffer and read it back; the GLUT main loop never runs.
class GlEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
};

// Fixture for GL tests: resets the matrices and the viewport, unbinds any
// program and clears GL errors before each test, and fails a test that
// leaves a GL error behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Reads the whole 400x400 back buffer as RGB bytes, bottom row first.
    static std::vector<unsigned char> readPixels();
    static std::vector<float> getFloats(GLenum name, int count);
};

// Runs `body` in a scratch working directory holding copies of the shipped
// shader files and riemann.mat, then returns to the old directory.
class ShaderDir {
public:
    ShaderDir();
    ~ShaderDir();
    ShaderDir(const ShaderDir&) = delete;
    ShaderDir& operator=(const ShaderDir&) = delete;
    const std::string& path() const { return m_dir.path(); }
    // Writes `bytes` to `name` in the scratch directory.
    void write(const std::string& name, const std::string& bytes) const {
        m_dir.write(name, bytes);
    }

private:
    TempDir m_dir;
    std::string m_previous;
};

// Captures everything written to std::cerr while it lives.
class CerrCapture {
public:
    CerrCapture();
    ~CerrCapture();
    std::string text() const;

private:
    struct Impl;
    Impl* m_impl;
};

// What the GL holds for a shader or program object: its info log as stored
// (without the NUL) and the objects attached to a program.
std::string infoLog(GLhandleARB object);
std::vector<GLhandleARB> attachedHandles(GLhandleARB program);

// The shipped shader folder of the source tree.
std::string shippedShaderDir();
