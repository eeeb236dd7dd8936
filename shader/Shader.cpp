#include "shader/Shader.h"

#include "io/FileParser.h"
#include "shader/ShaderError.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

Shader::Shader(std::string filename, unsigned long kind) : m_handle(0) {
    Init(filename, kind);
}

Shader::Shader(std::string filename, unsigned long kind, std::string declarations) : m_handle(0) {
    Init(filename, kind, declarations);
}

Shader::Shader(const Shader& other) : m_handle(0) {
    GLint kind = 0;
    glGetObjectParameterivARB(other.m_handle, GL_OBJECT_SUBTYPE_ARB, &kind);
    Init(other.m_filename, static_cast<unsigned long>(kind));
}

Shader::~Shader() {
    glDeleteObjectARB(m_handle);
}

void Shader::Init(std::string filename, unsigned long kind, const std::string& declarations) {
    m_handle = glCreateShaderObjectARB(static_cast<GLenum>(kind));
    try {
        unsigned long count = 0;
        const char** lines = FileParser::parseLines(filename, count);
        // The reader strips the line breaks; put them back between the lines
        // so that the GL sees the file as written: a // comment ends at its
        // own line, a # directive has a line of its own, and the compiler's
        // line numbers match the file's.
        std::vector<const GLcharARB*> source;
        source.reserve(2 * count + 1);
        for (unsigned long i = 0; i < count; ++i) {
            if (i > 0)
                source.push_back("\n");
            source.push_back(lines[i]);
        }
        // The declarations go after a #version line, then a #line directive
        // gives the file's next line its own number: "#line n" numbers the
        // line after it n + 1 before GLSL 3.30 and n from then on.
        std::string prelude;
        if (!declarations.empty()) {
            const bool versioned = count > 0 && std::strncmp(lines[0], "#version", 8) == 0;
            const int version = versioned ? std::atoi(lines[0] + 8) : 110;
            const int next = versioned ? 2 : 1;
            const std::string line = "#line " + std::to_string(version >= 330 ? next : next - 1);
            prelude =
                versioned ? "\n" + declarations + "\n" + line : declarations + "\n" + line + "\n";
            source.insert(source.begin() + (versioned ? 1 : 0), prelude.c_str());
        }
        glShaderSourceARB(m_handle, static_cast<GLsizei>(source.size()), source.data(), nullptr);
        FileParser::freeLines(lines, count);
        m_filename = filename;
        compile();
    } catch (...) {
        // The destructor will not run for a constructor that throws.
        glDeleteObjectARB(m_handle);
        m_handle = 0;
        throw;
    }
}

void Shader::compile() {
    glCompileShaderARB(m_handle);
    GLint status = 0;
    glGetObjectParameterivARB(m_handle, GL_OBJECT_COMPILE_STATUS_ARB, &status);
    if (status)
        return;
    dump(std::cerr);
    throw ShaderError("Shader::compile() error: " + m_filename, infoLog(m_handle));
}

void Shader::dump(std::ostream& os) {
    GLint length = 0;
    glGetObjectParameterivARB(m_handle, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length == 0) {
        os << "No info log for shader " << m_filename << "\n";
        return;
    }
    const std::string log = infoLog(m_handle);
    os << "Dumping info log from shader " << m_filename << " (length " << log.size() << ") :\n";
    os << log;
}

std::string Shader::infoLog(GLhandleARB object) {
    GLint length = 0;
    glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 0)
        return "";
    // The queried length counts the terminating NUL; the GL then reports the
    // number of characters it stored, without it.
    std::vector<GLcharARB> log(static_cast<size_t>(length));
    glGetInfoLogARB(object, length, &length, log.data());
    return std::string(log.data(), static_cast<size_t>(length));
}

std::string Shader::getFilename() const {
    return m_filename;
}
