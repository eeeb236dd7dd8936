// The keyboard, as a user drives it: every key of the table, the keys that
// must do nothing, and metric switches in bulk.
#include "support/Viewer.h"

#include <gtest/gtest.h>

namespace {

class Keys : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.start();
        ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
        ASSERT_TRUE(showsHue("red")) << viewer.capture().hue();
    }
    void TearDown() override {
        if (viewer.running()) {
            viewer.key("q");
            EXPECT_EQ(viewer.waitExit(), 0);
        }
    }

    bool showsHue(const std::string& hue) {
        return viewer.waitFor([&](const Image& i) { return i.hue() == hue; }).hue() == hue;
    }

    Viewer viewer;
};

TEST_F(Keys, MetricKeysSwitchTheProgramAndRebuildFromFiles) {
    const struct {
        const char* key;
        const char* shader;
        const char* hue;
    } table[] = {{"t", "cityblock.vert", "green"},
                 {"r", "riemann.vert", "blue"},
                 {"e", "euclid.vert", "red"},
                 {"e", "euclid.vert", "red"}};
    for (const auto& row : table) {
        const std::string before = viewer.err();
        viewer.key(row.key);
        EXPECT_TRUE(showsHue(row.hue)) << row.key << " shows " << viewer.capture().hue();
        ASSERT_TRUE(viewer.waitForErr(before +
                                      "Using shader dumped below:\n"
                                      "Dump of ShaderProg object:\n"
                                      "No error log to dump for this ShaderProg\n"
                                      "No info log for shader " +
                                      std::string(row.shader) +
                                      "\n"
                                      "No info log for shader metric.vert\n"
                                      "No info log for shader metric.frag\n"))
            << row.key << ":\n"
            << viewer.err();
    }
}

// A metric key reads the files again: an edit on disk shows after the key.
TEST_F(Keys, PressingTheCurrentMetricAgainPicksUpEditedFiles) {
    viewer.key("r");
    ASSERT_TRUE(showsHue("blue"));
    viewer.key("f");
    const Image round = viewer.settle();
    viewer.writeFile("riemann.mat", "9 0 0\n0 1 0\n0 0 1\n"); // x semi-axis 1/3
    viewer.key("r");
    const Image squeezed = viewer.waitFor(
        [&](const Image& i) { return i.litBox().width() < round.litBox().width() * 3 / 4; });
    EXPECT_LT(squeezed.litBox().width(), round.litBox().width() * 3 / 4);
}

// Unlit pixels inside the disc inscribed in the lit bounding box: the gaps
// of a wire mesh; a solid surface has none.
int holes(const Image& image) {
    const Image::Box box = image.litBox();
    const double cx = (box.left + box.right) / 2.0, cy = (box.top + box.bottom) / 2.0;
    const double r = std::min(box.width(), box.height()) / 2.0 - 3;
    int n = 0;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r && !image.lit(x, y))
                ++n;
    return n;
}

TEST_F(Keys, WireframeAndPrimitiveKeys) {
    const Image wire = viewer.settle();
    ASSERT_GT(holes(wire), 20) << "the start-up sphere is not a wire mesh";

    viewer.key("f");
    const Image solid = viewer.waitFor([&](const Image& i) { return holes(i) == 0; });
    EXPECT_EQ(holes(solid), 0) << "f does not make the sphere solid";

    viewer.key("2");
    const Image teapot =
        viewer.waitFor([&](const Image& i) { return i.differingPixels(solid) > 300; });
    EXPECT_GT(teapot.differingPixels(solid), 300) << "2 shows no teapot";

    viewer.key("1");
    const Image sphere =
        viewer.waitFor([&](const Image& i) { return i.differingPixels(solid) < 20; });
    EXPECT_LT(sphere.differingPixels(solid), 20) << "1 does not bring the sphere back";

    viewer.key("3");
    const Image teapot3 =
        viewer.waitFor([&](const Image& i) { return i.differingPixels(teapot) < 20; });
    EXPECT_LT(teapot3.differingPixels(teapot), 20) << "3 does not show the same teapot as 2";

    viewer.keys({"1", "f"});
    const Image wireAgain =
        viewer.waitFor([&](const Image& i) { return i.differingPixels(wire) < 20; });
    EXPECT_LT(wireAgain.differingPixels(wire), 20) << "f does not bring the wire mesh back";
}

// Keys are case-sensitive and special keys are ignored: none of these may
// change the picture, the output or end the viewer.
TEST_F(Keys, OtherKeysDoNothing) {
    const Image before = viewer.settle();
    const size_t switchesBefore = viewer.switches();
    viewer.keys({"E", "T", "R", "F", "Q", "Up", "Down", "Left", "Right", "F1", "x", "0", "4",
                 "space", "Return"});
    // Give the viewer time to handle them, then make sure it is alive and
    // unchanged by sending a key that has a visible effect.
    viewer.key("t");
    ASSERT_TRUE(showsHue("green"));
    viewer.key("e");
    ASSERT_TRUE(showsHue("red"));
    const Image after = viewer.settle();
    EXPECT_LT(after.differingPixels(before), 20);
    EXPECT_EQ(viewer.switches(), switchesBefore + 2);
    EXPECT_TRUE(viewer.running());
}

// Each switch deletes the old program and its shaders: a few hundred
// switches must not grow the process.
TEST_F(Keys, ManySwitchesKeepMemoryBounded) {
    auto switchMany = [&](int rounds) {
        std::vector<std::string> keys;
        for (int i = 0; i < rounds; ++i)
            keys.insert(keys.end(), {"t", "r", "e"});
        const size_t before = viewer.switches();
        viewer.keys(keys);
        const size_t expected = before + keys.size();
        viewer.waitFor([&](const Image&) { return viewer.switches() >= expected; }, 120.0);
        ASSERT_EQ(viewer.switches(), expected);
    };
    switchMany(20); // warm up the driver's caches
    const long warm = viewer.rssKiB();
    switchMany(100);
    const long after = viewer.rssKiB();
    ASSERT_GT(warm, 0);
    EXPECT_LT(after - warm, 8 * 1024) << "RSS grew from " << warm << " KiB to " << after << " KiB";
    EXPECT_TRUE(showsHue("red"));
}

} // namespace
