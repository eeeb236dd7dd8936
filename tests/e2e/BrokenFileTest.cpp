// What a user sees when a shader or the matrix file is broken: a message on
// standard error, and a viewer that keeps running and drawing until the file
// is mended and the key pressed again. At start-up, a clear failure.
#include "support/Viewer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

std::string shipped(const std::string& name) {
    std::ifstream in(shippedShaderFolder() + "/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool greenDominant(const Image& i) {
    const Image::Pixel p = i.meanLit();
    return p.g > p.r + 30 && p.g > p.b + 30;
}

// Fixed-function drawing, no program bound: white.
bool white(const Image& i) {
    const Image::Pixel p = i.meanLit();
    return i.litCount() > 50 && std::abs(p.r - p.g) < 10 && std::abs(p.g - p.b) < 10;
}

TEST(Broken, ShaderThatDoesNotCompileThenMended) {
    Viewer viewer;
    viewer.start();
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
    viewer.writeFile("cityblock.vert", "this is not GLSL\n");
    viewer.key("t");
    ASSERT_TRUE(viewer.waitForErr("\nShader::compile() error: cityblock.vert\n")) << viewer.err();
    EXPECT_NE(viewer.err().find("Dumping info log from shader cityblock.vert (length "),
              std::string::npos);
    const Image fallback = viewer.waitFor(white);
    EXPECT_TRUE(white(fallback)) << "nothing drawn while the shader is broken";
    EXPECT_TRUE(viewer.running());

    viewer.writeFile("cityblock.vert", shipped("cityblock.vert"));
    viewer.key("t");
    EXPECT_TRUE(greenDominant(viewer.waitFor(greenDominant)));
    viewer.key("q");
    EXPECT_EQ(viewer.waitExit(), 0);
}

TEST(Broken, MissingMatrixFile) {
    Viewer viewer;
    viewer.start();
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
    viewer.removeFile("riemann.mat");
    viewer.key("r");
    ASSERT_TRUE(viewer.waitForErr("\nFile not found: riemann.mat\n")) << viewer.err();
    EXPECT_TRUE(white(viewer.waitFor(white)));
    EXPECT_TRUE(viewer.running());
    // The other metrics still work.
    viewer.key("t");
    EXPECT_TRUE(greenDominant(viewer.waitFor(greenDominant)));
    viewer.key("Escape");
    EXPECT_EQ(viewer.waitExit(), 0);
}

TEST(Broken, StartUpWithoutMetricFragExits) {
    Viewer viewer;
    viewer.removeFile("metric.frag");
    viewer.start();
    EXPECT_EQ(viewer.waitExit(10), 2);
    EXPECT_EQ(viewer.out(), "Your graphics card is the shit\n");
    const std::string err = viewer.err();
    const std::string last = "File not found: metric.frag\n";
    ASSERT_GE(err.size(), last.size());
    EXPECT_EQ(err.substr(err.size() - last.size()), last) << err;
}

} // namespace
