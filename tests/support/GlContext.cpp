#include "GlContext.h"

#include <GL/glut.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

void GlEnvironment::SetUp() {
    int argc = 1;
    char name[] = "gl_tests";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor GL tests");
    glEnable(GL_DEPTH_TEST);
    ASSERT_EQ(glewInit(), static_cast<GLenum>(GLEW_OK));
    ASSERT_TRUE(GLEW_ARB_shader_objects && GLEW_ARB_vertex_shader && GLEW_ARB_fragment_shader)
        << "the GL has no ARB shader objects";
}

void GlTest::SetUp() {
    glUseProgramObjectARB(0);
    glViewport(0, 0, 400, 400);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    while (glGetError() != GL_NO_ERROR) {
    }
}

void GlTest::TearDown() {
    glUseProgramObjectARB(0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a GL error was left behind";
}

std::vector<unsigned char> GlTest::readPixels() {
    std::vector<unsigned char> pixels(400 * 400 * 3, 0x5a);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 400, 400, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::vector<float> GlTest::getFloats(GLenum name, int count) {
    std::vector<float> values(static_cast<size_t>(count), -12345.0f);
    glGetFloatv(name, values.data());
    return values;
}

std::string shippedShaderDir() {
    return ZEMLAVOR_SHADER_DIR;
}

ShaderDir::ShaderDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/zemlavor-gl-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = buf.data();
    for (const auto& entry : fs::directory_iterator(shippedShaderDir()))
        fs::copy_file(entry.path(), fs::path(m_path) / entry.path().filename());
    m_previous = fs::current_path().string();
    fs::current_path(m_path);
}

ShaderDir::~ShaderDir() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
    fs::remove_all(m_path, ec);
}

void ShaderDir::write(const std::string& name, const std::string& bytes) const {
    std::ofstream out(fs::path(m_path) / name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

struct CerrCapture::Impl {
    std::ostringstream buffer;
    std::streambuf* previous;
};

CerrCapture::CerrCapture() : m_impl(new Impl) {
    m_impl->previous = std::cerr.rdbuf(m_impl->buffer.rdbuf());
}

CerrCapture::~CerrCapture() {
    std::cerr.rdbuf(m_impl->previous);
    delete m_impl;
}

std::string CerrCapture::text() const {
    return m_impl->buffer.str();
}
