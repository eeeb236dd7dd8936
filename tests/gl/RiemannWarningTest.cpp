// A matrix file that reads but shows nothing useful still builds; the user is
// told why on one line of standard error.
#include "metric/Metric.h"
#include "support/GlContext.h"

namespace {

using RiemannWarning = GlTest;

TEST_F(RiemannWarning, SaysWhyTheSurfaceIsMissing) {
    const std::string w = "Warning: riemann.mat is ";
    const struct {
        const char* file;
        std::string warning;
    } cases[] = {
        {"1.0 0.6 0.0\n0.6 2.0 0.4\n0.0 0.4 0.6\n", ""},
        {"1 0 0\n0 -1 0\n0 0 1\n",
         w + "not positive definite; the surface is not drawn where p.Gp <= 0\n"},
        {"1e30 0 0\n0 1e30 0\n0 0 1e30\n",
         w + "so large that its ellipsoid is smaller than a pixel in the start view\n"},
        {"1e-30 0 0\n0 1e-30 0\n0 0 1e-30\n",
         w + "so small that its ellipsoid lies beyond the far plane\n"},
    };
    for (const auto& c : cases) {
        ShaderDir dir;
        dir.write("riemann.mat", c.file);
        CerrCapture cerr;
        RiemannianMetric metric("riemann.mat");
        EXPECT_EQ(cerr.text(), c.warning) << c.file;
    }
}

} // namespace
