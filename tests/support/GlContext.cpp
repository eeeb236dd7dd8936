#include "GlContext.h"

#include <GL/glut.h>

#include <cstdlib>
#include <filesystem>
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

std::string infoLog(GLhandleARB object) {
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei stored = 0;
    if (length > 0)
        glGetInfoLogARB(object, length, &stored, &log[0]);
    log.resize(static_cast<size_t>(stored));
    return log;
}

std::vector<GLhandleARB> attachedHandles(GLhandleARB program) {
    GLint count = 0;
    glGetObjectParameterivARB(program, GL_OBJECT_ATTACHED_OBJECTS_ARB, &count);
    std::vector<GLhandleARB> handles(static_cast<size_t>(count));
    GLsizei got = 0;
    if (count > 0)
        glGetAttachedObjectsARB(program, count, &got, handles.data());
    handles.resize(static_cast<size_t>(got));
    return handles;
}

std::string shippedShaderDir() {
    return ZEMLAVOR_SHADER_DIR;
}

ShaderDir::ShaderDir() {
    for (const auto& entry : fs::directory_iterator(shippedShaderDir()))
        fs::copy_file(entry.path(), fs::path(path()) / entry.path().filename());
    m_previous = fs::current_path().string();
    fs::current_path(path());
}

// Leaves the folder before TempDir removes it.
ShaderDir::~ShaderDir() {
    std::error_code ec;
    fs::current_path(m_previous, ec);
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
