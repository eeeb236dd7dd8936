// Shader on a real GL context: what reaches the compiler, what a missing or
// broken file writes to std::cerr and throws, what a copy compiles, and that a
// construction that throws leaves no shader object in the GL.
#include "shader/Shader.h"
#include "shader/ShaderProg.h"
#include "support/GlContext.h"

#include <array>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kVert = "void main(){gl_Position=ftransform();}\n";
const char* const kRed = "void main(){gl_FragColor=vec4(1.0,0.0,0.0,1.0);}\n";
const char* const kGreen = "// green\nvoid main(){gl_FragColor=vec4(0.0,1.0,0.0,1.0);}\n";
const std::array<int, 3> red = {255, 0, 0};
const std::array<int, 3> green = {0, 255, 0};

// Names of the live shader objects. The GL names a new object either with the
// lowest free name or past the highest one used; either way an object created
// earlier and still alive has a smaller name than a fresh probe, so two scans
// around an action that frees nothing show any shader object it left behind.
std::set<GLuint> liveShaders() {
    const GLhandleARB probe = glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    glDeleteObjectARB(probe);
    std::set<GLuint> live;
    for (GLuint name = 1; name <= probe; ++name)
        if (glIsShader(name))
            live.insert(name);
    return live;
}

// The GL's own log for `source` compiled in one piece: what a Shader must
// report for a file holding exactly these bytes.
std::string glCompileLog(GLenum kind, const std::string& source) {
    const GLhandleARB handle = glCreateShaderObjectARB(kind);
    const GLcharARB* text = source.c_str();
    glShaderSourceARB(handle, 1, &text, nullptr);
    glCompileShaderARB(handle);
    const std::string log = infoLog(handle);
    glDeleteObjectARB(handle);
    return log;
}

std::string compileDump(const std::string& name, const std::string& log) {
    return "Dumping info log from shader " + name + " (length " + std::to_string(log.size()) +
           ") :\n" + log;
}

// Runs `make`, which must throw std::runtime_error saying `what`; returns what
// it wrote to std::cerr.
template <class F> std::string cerrOfThrow(F make, const std::string& what) {
    CerrCapture cerr;
    try {
        make();
        ADD_FAILURE() << "no exception; expected \"" << what << "\"";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), what);
    }
    return cerr.text();
}

class ShaderTest : public GlTest {
protected:
    // Links the two shaders, draws a quad over the whole window with them and
    // returns the colour at its centre.
    static std::array<int, 3> drawWith(Shader* vert, Shader* frag) {
        ShaderProg prog;
        prog.attach(vert);
        prog.attach(frag);
        prog.link();
        {
            CerrCapture quiet;
            prog.use();
        }
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBegin(GL_QUADS);
        glVertex2f(-1, -1);
        glVertex2f(1, -1);
        glVertex2f(1, 1);
        glVertex2f(-1, 1);
        glEnd();
        glUseProgramObjectARB(0);
        const std::vector<unsigned char> pixels = readPixels();
        const size_t centre = (200 * 400 + 200) * 3;
        return {pixels[centre], pixels[centre + 1], pixels[centre + 2]};
    }

    ShaderDir dir;
};

// The file's lines reach the compiler as lines: a // comment ends at its own
// line break and #version stands alone, so the code after them compiles,
// links and runs; a clean compile writes nothing.
TEST_F(ShaderTest, LineBreaksReachTheCompiler) {
    const char* const sources[] = {
        "// comment first\nvoid main()\n{\n    gl_Position = ftransform();\n}\n",
        "#version 120\nvoid main(){gl_Position=ftransform();}",
        "#version 120\n// comment\n\nvoid main(){gl_Position=ftransform();}\n",
        "// one\n// two\nvoid main(){gl_Position=ftransform();} // trailing\n",
    };
    dir.write("g.frag", kGreen);
    for (const char* source : sources) {
        SCOPED_TRACE(source);
        dir.write("v.vert", source);
        std::unique_ptr<Shader> vert, frag;
        {
            CerrCapture cerr;
            vert = std::make_unique<Shader>("v.vert", GL_VERTEX_SHADER_ARB);
            frag = std::make_unique<Shader>("g.frag", GL_FRAGMENT_SHADER_ARB);
            EXPECT_EQ(cerr.text(), "");
        }
        EXPECT_EQ(vert->getFilename(), "v.vert");
        EXPECT_EQ(drawWith(vert.release(), frag.release()), green);
    }
}

// A compile error writes the GL's log under a header giving its length, then
// throws; the log's line numbers are the file's, and no object survives.
TEST_F(ShaderTest, CompileErrorDumpsLogAndThrows) {
    struct Case {
        GLenum kind;
        const char* name;
        const char* source;
        int line;
    };
    const Case cases[] = {
        {GL_VERTEX_SHADER_ARB, "bad.vert", "void main(){gl_Position=ftransform()}\n", 1},
        {GL_VERTEX_SHADER_ARB, "bad.vert",
         "// comment\nvoid main()\n{\n    gl_Position = undeclared;\n}\n", 4},
        {GL_FRAGMENT_SHADER_ARB, "bad.frag",
         "#version 120\n\n// blank above\nvoid main(){gl_FragColor=vec4(1.0);}\nint broken = ;\n",
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        dir.write(c.name, c.source);
        const std::set<GLuint> before = liveShaders();
        const std::string text = cerrOfThrow([&] { Shader s(c.name, c.kind); },
                                             std::string("Shader::compile() error: ") + c.name);
        EXPECT_EQ(liveShaders(), before);
        const std::string log = glCompileLog(c.kind, c.source);
        ASSERT_NE(log, "");
        EXPECT_EQ(text, compileDump(c.name, log));
        EXPECT_NE(text.find("0:" + std::to_string(c.line) + "("), std::string::npos);
    }
}

// A file that cannot be read throws before anything is written, and the
// shader object made for it is deleted.
TEST_F(ShaderTest, UnreadableFileThrowsSilently) {
    std::filesystem::create_directory("adir.vert");
    for (const char* name : {"missing.vert", "adir.vert"}) {
        SCOPED_TRACE(name);
        const std::set<GLuint> before = liveShaders();
        const std::string text = cerrOfThrow([&] { Shader s(name, GL_VERTEX_SHADER_ARB); },
                                             std::string("File not found: ") + name);
        EXPECT_EQ(text, "");
        EXPECT_EQ(liveShaders(), before);
    }
}

// A copy is a second GL object of the same kind and file name.
TEST_F(ShaderTest, CopyIsNewObjectOfSameKind) {
    dir.write("v.vert", kVert);
    dir.write("f.frag", kRed);
    const struct {
        GLenum kind;
        const char* name;
    } cases[] = {{GL_VERTEX_SHADER_ARB, "v.vert"}, {GL_FRAGMENT_SHADER_ARB, "f.frag"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShaderProg prog;
        Shader* original = new Shader(c.name, c.kind);
        prog.attach(original);
        CerrCapture cerr;
        Shader* copy = new Shader(*original);
        prog.attach(copy);
        EXPECT_EQ(cerr.text(), "");
        EXPECT_EQ(copy->getFilename(), c.name);
        const std::vector<GLhandleARB> handles = attachedHandles(prog.getHandle());
        ASSERT_EQ(handles.size(), 2u);
        EXPECT_NE(handles[0], handles[1]);
        for (GLhandleARB handle : handles) {
            EXPECT_TRUE(glIsShader(handle));
            GLint kind = 0;
            glGetObjectParameterivARB(handle, GL_OBJECT_SUBTYPE_ARB, &kind);
            EXPECT_EQ(static_cast<GLenum>(kind), c.kind);
        }
    }
}

// A copy compiles the file as it is when copied, not the original's source:
// changed code runs changed, broken code fails like a fresh construction.
TEST_F(ShaderTest, CopyCompilesFileAsItIsNow) {
    dir.write("v.vert", kVert);
    dir.write("f.frag", kRed);
    auto original = std::make_unique<Shader>("f.frag", GL_FRAGMENT_SHADER_ARB);

    dir.write("f.frag", kGreen);
    auto copy = std::make_unique<Shader>(*original);
    EXPECT_EQ(drawWith(new Shader("v.vert", GL_VERTEX_SHADER_ARB), copy.release()), green);

    const std::string broken = "void main(){gl_FragColor=vec4(1.0)}\n";
    dir.write("f.frag", broken);
    const std::set<GLuint> before = liveShaders();
    const std::string text =
        cerrOfThrow([&] { Shader s(*original); }, "Shader::compile() error: f.frag");
    EXPECT_EQ(liveShaders(), before);
    EXPECT_EQ(text, compileDump("f.frag", glCompileLog(GL_FRAGMENT_SHADER_ARB, broken)));

    // The original kept what it compiled first.
    EXPECT_EQ(drawWith(new Shader("v.vert", GL_VERTEX_SHADER_ARB), original.release()), red);
}

} // namespace
