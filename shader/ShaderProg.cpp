#include "shader/ShaderProg.h"

#include "shader/ShaderError.h"

#include <algorithm>
#include <iostream>
#include <sstream>
#include <stdexcept>

std::vector<ShaderProg*>* ShaderProg::s_shaderProgs = nullptr;
ShaderProg* ShaderProg::s_shaderInUse = nullptr;

ShaderProg::ShaderProg() {
    if (!s_shaderProgs)
        s_shaderProgs = new std::vector<ShaderProg*>();
    s_shaderProgs->push_back(this);
    m_handle = glCreateProgramObjectARB();
}

ShaderProg::~ShaderProg() {
    auto it = std::find(s_shaderProgs->begin(), s_shaderProgs->end(), this);
    if (it != s_shaderProgs->end())
        s_shaderProgs->erase(it);
    if (s_shaderProgs->empty()) {
        delete s_shaderProgs;
        s_shaderProgs = nullptr;
    }
    if (s_shaderInUse == this)
        s_shaderInUse = nullptr;

    for (const auto& shader : m_shaders)
        glDetachObjectARB(m_handle, shader->m_handle);
    m_shaders.clear();
    // A program that is still bound is deleted by the GL once another one is
    // bound; until then it keeps drawing.
    glDeleteObjectARB(m_handle);
}

void ShaderProg::attach(Shader* shader) {
    m_shaders.emplace_back(shader);
    glAttachObjectARB(m_handle, shader->m_handle);
}

void ShaderProg::detach(std::string filename) {
    auto it = std::find_if(m_shaders.begin(), m_shaders.end(),
                           [&](const auto& s) { return s->getFilename() == filename; });
    if (it == m_shaders.end())
        return;
    glDetachObjectARB(m_handle, (*it)->m_handle);
    m_shaders.erase(it);
}

void ShaderProg::setCapturedVaryings(std::vector<std::string> names) {
    m_captured = std::move(names);
}

bool ShaderProg::linkCapturing(const std::vector<std::string>& varyings) {
    std::vector<const GLchar*> names;
    for (const std::string& name : varyings)
        names.push_back(name.c_str());
    if (glTransformFeedbackVaryings)
        glTransformFeedbackVaryings(m_handle, static_cast<GLsizei>(names.size()), names.data(),
                                    GL_INTERLEAVED_ATTRIBS);
    else if (!varyings.empty())
        return false;
    glLinkProgramARB(m_handle);
    GLint status = 0;
    glGetObjectParameterivARB(m_handle, GL_OBJECT_LINK_STATUS_ARB, &status);
    return status != 0;
}

void ShaderProg::link() {
    m_capturing = !m_captured.empty() && linkCapturing(m_captured);
    if (m_capturing || linkCapturing({}))
        return;
    dump(std::cerr);
    throw ShaderError("ShaderProg::link() error", Shader::infoLog(m_handle));
}

void ShaderProg::use() {
    // std::cerr is unbuffered: gathered first, the dump is one write instead
    // of a dozen.
    std::ostringstream text;
    text << "Using shader dumped below:\n";
    dump(text);
    std::cerr << text.str();
    s_shaderInUse = this;
    glUseProgramObjectARB(m_handle);
    if (glGetHandleARB(GL_PROGRAM_OBJECT_ARB) != m_handle)
        std::cerr << "Aww fuck and we aren't even using the shader\n"
                  << "maybe you should have linked it\n";
}

void ShaderProg::dump(std::ostream& os) {
    os << "Dump of ShaderProg object:\n";
    GLint length = 0;
    glGetObjectParameterivARB(m_handle, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length == 0)
        os << "No error log to dump for this ShaderProg\n";
    else
        os << "Dumping info log from ShaderProg:\n" << Shader::infoLog(m_handle);
    for (const auto& shader : m_shaders)
        shader->dump(os);
}

GLhandleARB ShaderProg::getHandle() const {
    return m_handle;
}

std::vector<ShaderProg::Uniform> ShaderProg::activeUniforms() const {
    GLint count = 0, longest = 0;
    glGetObjectParameterivARB(m_handle, GL_OBJECT_ACTIVE_UNIFORMS_ARB, &count);
    glGetObjectParameterivARB(m_handle, GL_OBJECT_ACTIVE_UNIFORM_MAX_LENGTH_ARB, &longest);
    std::vector<Uniform> uniforms;
    std::vector<GLcharARB> name(static_cast<size_t>(std::max(longest, 1)));
    for (GLint i = 0; i < count; ++i) {
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniformARB(m_handle, static_cast<GLuint>(i), longest, &length, &size, &type,
                              name.data());
        std::string text(name.data(), static_cast<size_t>(length));
        text = text.substr(0, text.find('['));
        uniforms.push_back({text, type, glGetUniformLocationARB(m_handle, text.c_str())});
    }
    return uniforms;
}
