// Live reload and the text over the picture, through the shell on a real
// context, with the watcher's clock driven by the test.
#include "app/Shell.h"
#include "shader/ShaderProg.h"
#include "support/GlContext.h"
#include "view/Camera.h"
#include "view/Overlay.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace std::chrono_literals;

// Polls five times, 100 ms of the test's clock apart; how many rebuilt.
int settle() {
    static auto now = std::chrono::steady_clock::now();
    CerrCapture quiet;
    int rebuilds = 0;
    for (int i = 0; i < 5; ++i)
        rebuilds += reloadChanged(now += 100ms);
    return rebuilds;
}

size_t fds() {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

class ReloadTest : public GlTest {
protected:
    // Draws a frame with its overlay; the bright pixels in rows [from, to)
    // from the bottom, as indices y * 400 + x.
    static std::vector<int> bright(int from, int to) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        Camera::getInstance()->Look();
        drawPrimitive();
        drawOverlay();
        const std::vector<unsigned char> p = readPixels();
        std::vector<int> lit;
        for (int i = from * 400; i < to * 400; ++i)
            if (p[3 * i] > 100 && p[3 * i + 1] > 100)
                lit.push_back(i);
        return lit;
    }

    ShaderDir dir;
};

// Each case switches to a metric and edits one file: first, unless null, it
// leaves `halfway` in it ("-": deletes it), which is built and says `said`
// over the picture; then it saves the file as it was plus a line, the way
// `how` says: p in place, r renamed over, w written anew, '-' in place with
// watching off. Each save rebuilds once, the message goes, and many rounds
// leave no program or descriptor behind.
TEST_F(ReloadTest, SavesRebuildTheMetricOnce) {
    const char* compileError = "#version 120\nfloat metricNorm(vec3 p) { broken }\n";
    const std::tuple<int, const char*, const char*, const char*, char, int> cases[] = {
        {0, "metric.frag", nullptr, "", 'p', 1},
        {1, "cityblock.vert", nullptr, "", 'r', 1},
        {2, "riemann.mat", "", "", 'w', 2},
        {1, "metric.vert", "-", "File not found: metric.vert", 'w', 2},
        {0, "euclid.vert", compileError, "Shader::compile() error: euclid.vert", 'p', 2},
        {0, "euclid.vert", "#version 120\nvoid unused() {}\n", "ShaderProg::link() error", 'r', 2},
        {0, "euclid.vert", nullptr, "", '-', 0},
        {0, "cityblock.vert", nullptr, "", 'p', 0}};
    Reshape(400, 400);
    const size_t openFds = fds();
    std::vector<int> previousBox;
    CerrCapture quiet;
    for (int round = 0; round < 5; ++round)
        for (auto [metric, file, halfway, said, how, want] : cases) {
            changeMetric(metric);
            setWatching(how != '-');
            const GLhandleARB before = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
            std::ostringstream text;
            text << std::ifstream(file).rdbuf() << "\n";
            int rebuilds = 0;
            if (halfway) {
                std::string(halfway) == "-" ? void(std::remove(file))
                                            : void(dir.write(file, halfway));
                rebuilds += settle();
                EXPECT_EQ(failureLines().empty() ? "" : failureLines()[0], said);
                EXPECT_EQ(failureLines().size() > 1,
                          std::string(said).find("error") != std::string::npos);
                const std::vector<int> box = bright(370, 400);
                EXPECT_EQ(box.size() > 200, *said != 0) << said;
                EXPECT_EQ(bright(370, 400), box) << "copied unlike drawn";
                EXPECT_TRUE(!*said || box != previousBox) << "the last message's box again";
                previousBox = box;
            }
            std::ofstream(how == 'r' ? "saved" : file,
                          how == 'p' || how == '-' ? std::ios::in | std::ios::out : std::ios::out)
                << text.str();
            std::rename("saved", file); // fails but for r
            EXPECT_EQ(rebuilds + settle(), want) << file << " saved the way " << how;
            EXPECT_EQ(glGetHandleARB(GL_PROGRAM_OBJECT_ARB) != before, want > 0) << file;
            EXPECT_TRUE(failureLines().empty() && bright(370, 400).empty()) << file;
        }
    EXPECT_EQ(fds(), openFds);
    EXPECT_EQ(ShaderProg::s_shaderProgs->size(), 1u);
}

// "∞" is a glyph of its own, one character wide: not '?' nor its three bytes.
TEST_F(ReloadTest, OverlayDrawsInfinity) {
    const auto image = [](const char* text) {
        const float white[3] = {1, 1, 1};
        glClear(GL_COLOR_BUFFER_BIT);
        Overlay(Overlay::Corner::BottomLeft, white).draw({text});
        return readPixels();
    };
    const std::vector<unsigned char> infinity = image("\xe2\x88\x9ex"), blank = image(" x");
    int inFirstCell = 0, elsewhere = 0;
    for (size_t i = 0; i < infinity.size(); ++i)
        (i / 3 % 400 < Overlay::kMargin + Overlay::kCharWidth ? inFirstCell : elsewhere) +=
            infinity[i] != blank[i];
    EXPECT_GT(inFirstCell, 0);
    EXPECT_EQ(elsewhere, 0);
    EXPECT_NE(infinity, image("?x"));
}

} // namespace
