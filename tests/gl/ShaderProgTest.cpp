// ShaderProg on a real GL context: the registry of live programs, the program
// in use, attaching and detaching, what link(), use() and dump() write, and the
// GL objects a program leaves when it goes.
#include "shader/ShaderProg.h"
#include "support/GlContext.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char* const kVert = "void main(){gl_Position=ftransform();}\n";
const char* const kFrag = "void main(){gl_FragColor=vec4(1.0);}\n";

GLint objectParameter(GLhandleARB object, GLenum name) {
    GLint value = -1;
    glGetObjectParameterivARB(object, name, &value);
    return value;
}

const std::string kDumpHead = "Dump of ShaderProg object:\n";
const std::string kNoProgramLog = "No error log to dump for this ShaderProg\n";
std::string noShaderLog(const std::string& name) {
    return "No info log for shader " + name + "\n";
}

class ShaderProgTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        dir.write("v.vert", kVert);
        dir.write("f.frag", kFrag);
    }

    static void attachPair(ShaderProg& prog) {
        prog.attach(new Shader("v.vert", GL_VERTEX_SHADER_ARB));
        prog.attach(new Shader("f.frag", GL_FRAGMENT_SHADER_ARB));
    }

    static std::unique_ptr<ShaderProg> linkedPair() {
        auto prog = std::make_unique<ShaderProg>();
        attachPair(*prog);
        prog->link();
        return prog;
    }

    ShaderDir dir;
};

// Every live program is listed in order of construction; the list is freed
// when the last one goes and made again by the next.
TEST_F(ShaderProgTest, RegistryFollowsLifetimes) {
    using List = std::vector<ShaderProg*>;
    ASSERT_EQ(ShaderProg::s_shaderProgs, nullptr);
    auto first = std::make_unique<ShaderProg>();
    ASSERT_NE(ShaderProg::s_shaderProgs, nullptr);
    EXPECT_EQ(*ShaderProg::s_shaderProgs, List{first.get()});
    auto second = std::make_unique<ShaderProg>();
    EXPECT_EQ(*ShaderProg::s_shaderProgs, (List{first.get(), second.get()}));
    first.reset();
    ASSERT_NE(ShaderProg::s_shaderProgs, nullptr);
    EXPECT_EQ(*ShaderProg::s_shaderProgs, List{second.get()});
    second.reset();
    EXPECT_EQ(ShaderProg::s_shaderProgs, nullptr);

    ShaderProg third;
    ASSERT_NE(ShaderProg::s_shaderProgs, nullptr);
    EXPECT_EQ(*ShaderProg::s_shaderProgs, List{&third});
}

// s_shaderInUse names the program use() ran on last, and only that program's
// destructor clears it.
TEST_F(ShaderProgTest, InUseFollowsUseAndItsOwnDestructor) {
    CerrCapture quiet;
    auto a = linkedPair();
    auto b = linkedPair();
    EXPECT_EQ(ShaderProg::s_shaderInUse, nullptr);
    a->use();
    EXPECT_EQ(ShaderProg::s_shaderInUse, a.get());
    b->use();
    EXPECT_EQ(ShaderProg::s_shaderInUse, b.get());
    a->use();
    b.reset();
    EXPECT_EQ(ShaderProg::s_shaderInUse, a.get());
    a.reset();
    EXPECT_EQ(ShaderProg::s_shaderInUse, nullptr);
}

// detach() removes and deletes only the first shader with that file name, in
// the GL as well; a name nothing carries changes nothing.
TEST_F(ShaderProgTest, DetachRemovesFirstMatchOnly) {
    ShaderProg prog;
    Shader* first = new Shader("v.vert", GL_VERTEX_SHADER_ARB);
    prog.attach(first);
    prog.attach(new Shader(*first));
    prog.attach(new Shader("f.frag", GL_FRAGMENT_SHADER_ARB));
    const std::vector<GLhandleARB> all = attachedHandles(prog.getHandle());
    ASSERT_EQ(all.size(), 3u);

    const struct {
        const char* name;
        std::vector<size_t> left;
    } steps[] = {
        {"nothing.vert", {0, 1, 2}},
        {"v.vert", {1, 2}},
        {"f.frag", {1}},
        {"f.frag", {1}},
        {"v.vert", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        prog.detach(step.name);
        std::vector<GLhandleARB> expected;
        for (size_t i : step.left)
            expected.push_back(all[i]);
        EXPECT_EQ(attachedHandles(prog.getHandle()), expected);
        for (size_t i = 0; i < all.size(); ++i) {
            const bool kept = std::find(step.left.begin(), step.left.end(), i) != step.left.end();
            EXPECT_EQ(glIsShader(all[i]) == GL_TRUE, kept) << "shader " << i;
        }
    }
}

// A successful link writes nothing and leaves the program linked.
TEST_F(ShaderProgTest, LinkSucceedsSilently) {
    ShaderProg prog;
    attachPair(prog);
    CerrCapture cerr;
    prog.link();
    EXPECT_EQ(cerr.text(), "");
    EXPECT_EQ(objectParameter(prog.getHandle(), GL_OBJECT_LINK_STATUS_ARB), GL_TRUE);
}

// A failed link writes the whole dump, the GL's program log first, then throws.
TEST_F(ShaderProgTest, LinkFailureDumpsAndThrows) {
    const struct {
        const char* what;
        const char* vert;
    } cases[] = {
        {"main calls an undefined function",
         "void helper();\nvoid main(){helper();gl_Position=ftransform();}\n"},
        {"no main", "float helper(){return 1.0;}\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("l.vert", c.vert);
        ShaderProg prog;
        prog.attach(new Shader("l.vert", GL_VERTEX_SHADER_ARB));
        prog.attach(new Shader("f.frag", GL_FRAGMENT_SHADER_ARB));
        CerrCapture cerr;
        try {
            prog.link();
            ADD_FAILURE() << "link() did not throw";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "ShaderProg::link() error");
        }
        EXPECT_EQ(objectParameter(prog.getHandle(), GL_OBJECT_LINK_STATUS_ARB), GL_FALSE);
        const std::string log = infoLog(prog.getHandle());
        ASSERT_NE(log, "");
        EXPECT_EQ(cerr.text(), kDumpHead + "Dumping info log from ShaderProg:\n" + log +
                                   noShaderLog("l.vert") + noShaderLog("f.frag"));
    }
}

// dump() gives the program's log line, then every shader's log in attach
// order; a shader that compiled with a warning shows its log with its length.
TEST_F(ShaderProgTest, DumpListsShadersInAttachOrder) {
    // Mesa's shader cache skips compiling a source it has compiled before and
    // then keeps no warning, so the source is made one it has not seen.
    const auto now = std::chrono::system_clock::now().time_since_epoch().count();
    dir.write("w.vert", "#extension GL_ZEM_no_such_thing : warn\n// " + std::to_string(now) +
                            "\nfloat unused(){return 0.0;}\n");
    ShaderProg prog;
    attachPair(prog);
    prog.attach(new Shader("w.vert", GL_VERTEX_SHADER_ARB));
    const std::vector<GLhandleARB> handles = attachedHandles(prog.getHandle());
    ASSERT_EQ(handles.size(), 3u);
    const std::string warning = infoLog(handles[2]);
    ASSERT_NE(warning, "");

    std::ostringstream out;
    prog.dump(out);
    EXPECT_EQ(out.str(), kDumpHead + kNoProgramLog + noShaderLog("v.vert") + noShaderLog("f.frag") +
                             "Dumping info log from shader w.vert (length " +
                             std::to_string(warning.size()) + ") :\n" + warning);
}

// use() on a linked program writes the dump and binds it. The shipped
// shaders link without a word: six lines in all.
TEST_F(ShaderProgTest, UseLinkedShippedShaders) {
    for (const char* metric : {"euclid.vert", "cityblock.vert", "riemann.vert"}) {
        SCOPED_TRACE(metric);
        ShaderProg prog;
        prog.attach(new Shader("metric.vert", GL_VERTEX_SHADER_ARB));
        prog.attach(new Shader(metric, GL_VERTEX_SHADER_ARB));
        prog.attach(new Shader("metric.frag", GL_FRAGMENT_SHADER_ARB));
        prog.link();
        CerrCapture cerr;
        prog.use();
        EXPECT_EQ(cerr.text(), "Using shader dumped below:\n" + kDumpHead + kNoProgramLog +
                                   noShaderLog("metric.vert") + noShaderLog(metric) +
                                   noShaderLog("metric.frag"));
        EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), prog.getHandle());
        EXPECT_EQ(ShaderProg::s_shaderInUse, &prog);
        glUseProgramObjectARB(0);
    }
}

// use() before link(): the GL refuses the program (GL_INVALID_OPERATION) and
// use() says so after the dump.
TEST_F(ShaderProgTest, UseUnlinkedWarns) {
    ShaderProg prog;
    attachPair(prog);
    CerrCapture cerr;
    prog.use();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_OPERATION));
    EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), 0u);
    EXPECT_EQ(cerr.text(), "Using shader dumped below:\n" + kDumpHead + kNoProgramLog +
                               noShaderLog("v.vert") + noShaderLog("f.frag") +
                               "Aww fuck and we aren't even using the shader\n"
                               "maybe you should have linked it\n");
}

// The handle stays the same for the program's life; destroying it deletes its
// shaders at once and its program object too, except that the GL keeps a
// program that is still bound until it is unbound.
TEST_F(ShaderProgTest, DestructionDeletesGlObjects) {
    for (bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "bound" : "not bound");
        auto prog = std::make_unique<ShaderProg>();
        const GLhandleARB handle = prog->getHandle();
        EXPECT_TRUE(glIsProgram(handle));
        attachPair(*prog);
        prog->link();
        if (bound) {
            CerrCapture quiet;
            prog->use();
        }
        EXPECT_EQ(prog->getHandle(), handle);
        const std::vector<GLhandleARB> shaders = attachedHandles(handle);
        ASSERT_EQ(shaders.size(), 2u);

        prog.reset();
        for (GLhandleARB shader : shaders)
            EXPECT_FALSE(glIsShader(shader));
        EXPECT_EQ(glIsProgram(handle) == GL_TRUE, bound);
        glUseProgramObjectARB(0);
        EXPECT_FALSE(glIsProgram(handle));
    }
}

} // namespace
