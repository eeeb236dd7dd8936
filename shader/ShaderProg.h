#pragma once

#include "shader/Shader.h"

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// One GLSL program object and the Shaders attached to it. The program owns
// both: destroying it detaches and deletes every attached Shader and deletes
// the program object. Not copyable. Needs a current GL context with GLEW
// initialised.
class ShaderProg {
public:
    ShaderProg();
    ShaderProg(const ShaderProg&) = delete;
    ShaderProg& operator=(const ShaderProg&) = delete;
    ~ShaderProg();

    // Takes ownership of `shader`, a live Shader not yet attached here, and
    // attaches its GL object.
    void attach(Shader* shader);
    // Detaches and deletes the first attached Shader whose file name equals
    // `filename`; does nothing when none does.
    void detach(std::string filename);
    // Names the varyings of the vertex stage that transform feedback is to
    // capture, interleaved in this order, from the next link on.
    void setCapturedVaryings(std::vector<std::string> names);
    // Links; on failure dumps everything to std::cerr and throws
    // a ShaderError "ShaderProg::link() error" carrying the program's info log.
    // A program that links only without its captured varyings (a vertex
    // shader older than they are, or a GL without transform feedback) is
    // linked without them: it draws, and capturesVaryings() is false.
    void link();
    // Whether the linked program hands the captured varyings to transform
    // feedback.
    bool capturesVaryings() const { return m_capturing; }
    // Binds the program, after writing its dump to std::cerr; warns there when
    // the GL did not take it (an unlinked program).
    void use();
    // The program's info log, then each attached shader's, in attach order.
    void dump(std::ostream& os);
    GLhandleARB getHandle() const;

    // An active uniform of the linked program as the GL lists it; an
    // array's name without its "[0]".
    struct Uniform {
        std::string name;
        GLenum type;
        GLint location;
    };
    std::vector<Uniform> activeUniforms() const;

    // Every live ShaderProg in order of construction; null while none lives.
    static std::vector<ShaderProg*>* s_shaderProgs;
    // The live ShaderProg whose use() ran last, or null.
    static ShaderProg* s_shaderInUse;

private:
    // Names `varyings` for capture (none: capture nothing) and links; whether
    // it linked.
    bool linkCapturing(const std::vector<std::string>& varyings);

    std::vector<std::unique_ptr<Shader>> m_shaders;
    std::vector<std::string> m_captured;
    bool m_capturing = false;
    GLhandleARB m_handle;
};
