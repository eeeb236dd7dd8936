#pragma once

#include <GL/glew.h>

#include <ostream>
#include <string>

// One compiled GLSL shader object, made from one source file. A Shader that
// exists is compiled; it owns its GL object and deletes it when it goes.
// Needs a current GL context with GLEW initialised.
class Shader {
public:
    // Reads `filename` (relative to the working directory) and compiles it as
    // `kind` (GL_VERTEX_SHADER_ARB or GL_FRAGMENT_SHADER_ARB). Throws
    // std::runtime_error "File not found: <name>" when the file cannot be read,
    // and a ShaderError "Shader::compile() error: <name>" carrying the info
    // log, after writing it to std::cerr, when it does not compile. No GL
    // object survives a throw.
    Shader(std::string filename, unsigned long kind);
    // The same, with `declarations` (GLSL text without line breaks, such as
    // prototypes of functions another shader of the stage defines) placed
    // ahead of the file's own text, after its #version line if it starts
    // with one. The compiler's line numbers stay the file's.
    Shader(std::string filename, unsigned long kind, std::string declarations);
    // A new GL object of the same kind, compiled from the same file as it is
    // on disk now.
    Shader(const Shader& other);
    Shader& operator=(const Shader&) = delete;
    ~Shader();

    // Compiles the object's source; on failure dumps the log to std::cerr and
    // throws.
    void compile();
    // Writes the object's info log, or a line saying there is none.
    void dump(std::ostream& os);
    std::string getFilename() const;
    // A shader's or program's info log as the GL stores it, without the NUL.
    static std::string infoLog(GLhandleARB object);

private:
    void Init(std::string filename, unsigned long kind, const std::string& declarations = "");

    friend class ShaderProg;

    std::string m_filename;
    GLhandleARB m_handle;
};
