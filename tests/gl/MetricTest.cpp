// The metrics on a real GL context: their distances and the default mapping
// (plain arithmetic, but every constructor builds a program), the program each
// one binds, the uniform the Riemannian metric leaves in it, and the files
// they need.
#include "metric/Metric.h"
#include "support/GlContext.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

Matrix diagonal(float a, float b, float c, float d) {
    return Matrix(Tuple(a, 0, 0, 0), Tuple(0, b, 0, 0), Tuple(0, 0, c, 0), Tuple(0, 0, 0, d));
}

Matrix transposed(const Matrix& m) {
    Matrix t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            t[i][j] = m[j][i];
    return t;
}

// sqrt(d M d) in double, as a reference that knows nothing of rows and columns.
double formLength(const Matrix& m, const Tuple& d) {
    double sum = 0;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            sum += double(d[i]) * m[i][j] * d[j];
    return std::sqrt(sum);
}

GLhandleARB boundProgram() {
    return glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
}

// Apply() dumps the program to std::cerr; keep the test output clean.
void applyQuietly(Metric& metric) {
    CerrCapture quiet;
    metric.Apply();
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string withoutTrailingSpace(std::string s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.pop_back();
    return s;
}

class MetricTest : public GlTest {};

TEST_F(MetricTest, Distances) {
    ShaderDir dir;
    EuclideanMetric euclid;
    CityBlockMetric city;
    RiemannianMetric identity(diagonal(1, 1, 1, 1));
    RiemannianMetric stretched(diagonal(4, 1, 1, 1));
    RiemannianMetric indefinite(diagonal(-1, 1, 1, 1));
    const float nan = std::nanf("");
    struct Case {
        const char* what;
        Metric* metric;
        Tuple a, b;
        float expected;
    };
    const Case cases[] = {
        {"euclid 3-4-5", &euclid, Tuple(0, 0, 0, 0), Tuple(3, 4, 0, 0), 5},
        {"euclid w counts", &euclid, Tuple(0, 0, 0, 0), Tuple(0, 0, 0, 2), 2},
        {"city sum", &city, Tuple(1, 2, 3, 0), Tuple(0, 0, 0, 0), 6},
        // Absolute differences: opposite signs must not cancel.
        {"city mixed signs", &city, Tuple(1, -1, 0, 0), Tuple(0, 0, 0, 0), 2},
        {"city mixed signs 3d", &city, Tuple(2, -3, 1, 0), Tuple(0, 0, 0, 0), 6},
        {"city w counts", &city, Tuple(0, 0, 0, 0), Tuple(1, 1, 1, 1), 4},
        {"riemann identity", &identity, Tuple(0, 0, 0, 0), Tuple(3, 4, 0, 0), 5},
        {"riemann identity w", &identity, Tuple(1, 1, 1, 1), Tuple(1, 1, 1, 3), 2},
        {"riemann diag x", &stretched, Tuple(1, 0, 0, 0), Tuple(0, 0, 0, 0), 2},
        {"riemann diag y", &stretched, Tuple(0, 1, 0, 0), Tuple(0, 0, 0, 0), 1},
        {"riemann negative form", &indefinite, Tuple(1, 0, 0, 0), Tuple(0, 0, 0, 0), nan},
        {"riemann indefinite but positive", &indefinite, Tuple(0, 2, 0, 0), Tuple(0, 0, 0, 0), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const float ab = c.metric->distance(c.a, c.b);
        const float ba = c.metric->distance(c.b, c.a);
        if (std::isnan(c.expected)) {
            EXPECT_TRUE(std::isnan(ab)) << ab;
            EXPECT_TRUE(std::isnan(ba)) << ba;
        } else {
            EXPECT_NEAR(ab, c.expected, 1e-5f);
            EXPECT_EQ(ab, ba) << "swapping the arguments changed the distance";
        }
    }
}

// Only the symmetric part of M matters to d M d, so a matrix and its transpose
// measure alike; a row/column mix-up in the product shows against the
// double-precision form.
TEST_F(MetricTest, RiemannianNonSymmetricMatchesItsTranspose) {
    ShaderDir dir;
    const Matrix m(Tuple(4, 1, 0, 0), Tuple(3, 5, 1, 0), Tuple(0, -1, 3, 1), Tuple(1, 0, 2, 6));
    RiemannianMetric metric(m);
    RiemannianMetric transpose(transposed(m));
    const Tuple vectors[] = {Tuple(1, 0, 0, 0), Tuple(1, 1, 0, 0), Tuple(1, -2, 3, 0.5f),
                             Tuple(0, 0, 1, -1), Tuple(-3, 2, -1, 0.25f)};
    for (const Tuple& d : vectors) {
        const float expected = static_cast<float>(formLength(m, d));
        const float a = metric.distance(d, Tuple(0, 0, 0, 0));
        const float b = transpose.distance(Tuple(0, 0, 0, 0), d);
        EXPECT_NEAR(a, expected, 1e-5f * expected) << d[0] << " " << d[1] << " " << d[2];
        EXPECT_NEAR(b, a, 1e-5f * expected) << d[0] << " " << d[1] << " " << d[2];
    }
}

// The default mapping scales v to the Euclidean length of its metric norm (the
// zero tuple has no direction: NaN); it builds a Euclidean metric of its own
// and must leave the bound program be. The Euclidean mapping is the identity.
TEST_F(MetricTest, TransformScalesToTheMetricNorm) {
    ShaderDir dir;
    EuclideanMetric euclid;
    CityBlockMetric city;
    RiemannianMetric identity(diagonal(1, 1, 1, 1));
    applyQuietly(city);
    const GLhandleARB bound = boundProgram();
    ASSERT_NE(bound, 0u);

    const float r2 = std::sqrt(2.0f), nan = std::nanf("");
    const Tuple zero(0, 0, 0, 0), nans(nan, nan, nan, nan);
    struct Case {
        Metric* metric;
        Tuple v, expected;
    };
    const Case cases[] = {
        {&city, Tuple(1, 1, 0, 0), Tuple(r2, r2, 0, 0)},
        {&city, Tuple(1, -1, 0, 0), Tuple(r2, -r2, 0, 0)},
        {&city, Tuple(0, 0, 3, 4), Tuple(0, 0, 4.2f, 5.6f)},
        {&city, zero, nans},
        {&identity, Tuple(1, 2, 3, 4), Tuple(1, 2, 3, 4)},
        {&identity, Tuple(-0.5f, 0, 0, 2), Tuple(-0.5f, 0, 0, 2)},
        {&identity, Tuple(0, 1e-3f, 0, 0), Tuple(0, 1e-3f, 0, 0)},
        {&identity, zero, nans},
        {&euclid, Tuple(-7, 0, 0.5f, 3), Tuple(-7, 0, 0.5f, 3)},
        {&euclid, zero, zero},
    };
    for (const Case& c : cases) {
        const Tuple t = c.metric->transform(c.v);
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(::testing::Message() << "component " << i << " of " << c.v[0] << " "
                                              << c.v[1] << " " << c.v[2] << " " << c.v[3]);
            if (std::isnan(c.expected[i]))
                EXPECT_TRUE(std::isnan(t[i])) << t[i];
            else
                EXPECT_NEAR(t[i], c.expected[i], 1e-5f);
        }
        EXPECT_EQ(boundProgram(), bound);
    }
}

// Each metric's program is its own vertex shader, metric.vert and metric.frag,
// linked; Apply() makes it the GL's current program.
TEST_F(MetricTest, ApplyBindsTheMetricsProgram) {
    ShaderDir dir;
    struct Case {
        const char* ownShader;
        std::function<std::unique_ptr<Metric>()> make;
    };
    const Case cases[] = {
        {"euclid.vert", [] { return std::make_unique<EuclideanMetric>(); }},
        {"cityblock.vert", [] { return std::make_unique<CityBlockMetric>(); }},
        {"riemann.vert", [] { return std::make_unique<RiemannianMetric>("riemann.mat"); }},
    };
    GLhandleARB previous = 0;
    std::vector<std::unique_ptr<Metric>> alive;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ownShader);
        alive.push_back(c.make());
        applyQuietly(*alive.back());
        const GLhandleARB bound = boundProgram();
        ASSERT_NE(bound, 0u);
        EXPECT_NE(bound, previous) << "the earlier metric's program is still bound";
        ASSERT_NE(ShaderProg::s_shaderInUse, nullptr);
        EXPECT_EQ(bound, ShaderProg::s_shaderInUse->getHandle());
        previous = bound;

        GLint type = 0, linked = 0, count = 0;
        glGetObjectParameterivARB(bound, GL_OBJECT_TYPE_ARB, &type);
        glGetObjectParameterivARB(bound, GL_OBJECT_LINK_STATUS_ARB, &linked);
        glGetObjectParameterivARB(bound, GL_OBJECT_ATTACHED_OBJECTS_ARB, &count);
        EXPECT_EQ(type, GL_PROGRAM_OBJECT_ARB);
        EXPECT_EQ(linked, GL_TRUE);
        ASSERT_EQ(count, 3);

        GLhandleARB shaders[3] = {0, 0, 0};
        glGetAttachedObjectsARB(bound, 3, &count, shaders);
        std::multiset<std::string> sources;
        for (GLhandleARB s : shaders) {
            GLint length = 0;
            glGetObjectParameterivARB(s, GL_OBJECT_SHADER_SOURCE_LENGTH_ARB, &length);
            std::vector<GLcharARB> text(static_cast<size_t>(length) + 1, '\0');
            glGetShaderSourceARB(s, length + 1, nullptr, text.data());
            sources.insert(withoutTrailingSpace(text.data()));
        }
        const std::multiset<std::string> expected = {withoutTrailingSpace(readFile(c.ownShader)),
                                                     withoutTrailingSpace(readFile("metric.vert")),
                                                     withoutTrailingSpace(readFile("metric.frag"))};
        EXPECT_TRUE(sources == expected)
            << "the program is not made of " << c.ownShader << ", metric.vert and metric.frag";
    }
}

// "g_matrix" must hold the matrix's upper-left 3x3 block with the rows as
// written; the GL reports a mat3 column-major, element [c * 3 + r]. The
// matrices are not symmetric so that a transposed upload shows.
TEST_F(MetricTest, ApplySetsGMatrixRowForRow) {
    ShaderDir dir;
    const float rows[3][3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}};
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Metric>()> make;
    };
    const Case cases[] = {
        {"3x3 file",
         [&] {
             dir.write("riemann.mat", "1 2 3\n4 5 6\n7 8 10\n");
             return std::make_unique<RiemannianMetric>("riemann.mat");
         }},
        {"4x4 file",
         [&] {
             dir.write("riemann.mat", "1 2 3 -9\n4 5 6 -9\n7 8 10 -9\n-9 -9 -9 -9\n");
             return std::make_unique<RiemannianMetric>("riemann.mat");
         }},
        {"matrix",
         [] {
             return std::make_unique<RiemannianMetric>(Matrix(
                 Tuple(1, 2, 3, 0), Tuple(4, 5, 6, 0), Tuple(7, 8, 10, 0), Tuple(0, 0, 0, 1)));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<Metric> metric = c.make();
        applyQuietly(*metric);
        const GLhandleARB program = boundProgram();
        ASSERT_NE(program, 0u);
        const GLint location = glGetUniformLocationARB(program, "g_matrix");
        ASSERT_GE(location, 0);
        float g[9];
        std::fill(std::begin(g), std::end(g), -12345.0f);
        glGetUniformfvARB(program, location, g);
        for (int r = 0; r < 3; ++r)
            for (int col = 0; col < 3; ++col)
                EXPECT_EQ(g[col * 3 + r], rows[r][col]) << "row " << r << " column " << col;
    }
}

// The matrix file is read before any shader file, so a missing matrix is what
// is reported even when the shader is missing too.
TEST_F(MetricTest, MissingFilesThrowWithTheirName) {
    using Make = std::function<std::unique_ptr<Metric>()>;
    struct Case {
        const char* what;
        std::vector<std::string> removed;
        Make make;
        std::string message;
    };
    const Make euclid = [] { return std::make_unique<EuclideanMetric>(); };
    const Make city = [] { return std::make_unique<CityBlockMetric>(); };
    const Make riemannFile = [] { return std::make_unique<RiemannianMetric>("riemann.mat"); };
    const Make riemannMatrix = [] {
        return std::make_unique<RiemannianMetric>(diagonal(1, 1, 1, 1));
    };
    const std::string noFrag = "File not found: metric.frag";
    const Case cases[] = {
        {"no matrix", {"riemann.mat"}, riemannFile, "File not found: riemann.mat"},
        {"no matrix, no shader",
         {"riemann.mat", "riemann.vert"},
         riemannFile,
         "File not found: riemann.mat"},
        {"no riemann shader", {"riemann.vert"}, riemannFile, "File not found: riemann.vert"},
        {"euclid", {"metric.frag"}, euclid, noFrag},
        {"city", {"metric.frag"}, city, noFrag},
        {"riemann file", {"metric.frag"}, riemannFile, noFrag},
        {"riemann matrix", {"metric.frag"}, riemannMatrix, noFrag},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShaderDir dir;
        for (const std::string& name : c.removed)
            ASSERT_TRUE(fs::remove(fs::path(dir.path()) / name)) << name;
        CerrCapture quiet;
        try {
            c.make();
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

// A matrix file whose 3x3 block is not positive definite still builds (it is
// not malformed), but the user is told why the surface is partly missing.
TEST_F(MetricTest, MatrixFileNotPositiveDefiniteIsReported) {
    const std::string warning =
        "Warning: riemann.mat is not positive definite; the surface is not drawn where p.Gp <= 0\n";
    const struct {
        const char* file;
        bool warned;
    } cases[] = {
        {"1.0 0.6 0.0\n0.6 2.0 0.4\n0.0 0.4 0.6\n", false},
        {"1 5 0\n-5 1 0\n0 0 1\n", false}, // skew part adds nothing to p.Gp
        {"1 0 0\n0 -1 0\n0 0 1\n", true},
        {"1 2 0\n2 1 0\n0 0 1\n", true}, // positive diagonal, indefinite
        {"1 0 0\n0 1 0\n0 0 0\n", true}, // semi-definite: flat along z
        {"", true},
        {"nan 0 0\n0 1 0\n0 0 1\n", true},
        {"inf 0 0\n0 1 0\n0 0 1\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ShaderDir dir;
        dir.write("riemann.mat", c.file);
        CerrCapture cerr;
        RiemannianMetric metric("riemann.mat");
        EXPECT_EQ(cerr.text(), c.warned ? warning : "");
    }
}

} // namespace
