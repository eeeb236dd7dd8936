// The viewer as a user starts it: its window, its first picture, its output
// and how it ends.
#include "support/Viewer.h"

#include <gtest/gtest.h>

namespace {

bool somethingDrawn(const Image& image) {
    return image.width > 0 && image.litCount() > 50;
}

bool centred(const Image& image, int tolerance = 3) {
    const Image::Box box = image.litBox();
    return box.width() > 0 &&
           std::abs((box.left + box.right) - (image.width - 1)) <= 2 * tolerance &&
           std::abs((box.top + box.bottom) - (image.height - 1)) <= 2 * tolerance;
}

// The solid's bounding box is centred in the window within `tolerance` pixels.
void expectCentred(const Image& image, int tolerance = 3) {
    const Image::Box box = image.litBox();
    ASSERT_GT(box.width(), 0);
    EXPECT_NEAR((box.left + box.right) / 2.0, (image.width - 1) / 2.0, tolerance);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, (image.height - 1) / 2.0, tolerance);
}

TEST(Startup, OpensTheWindowAndDrawsTheSphereInTheMiddle) {
    Viewer viewer;
    viewer.start();
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
    EXPECT_EQ(viewer.title(), "Zemlavor");
    EXPECT_EQ(viewer.windowSize(), std::make_pair(400, 400));

    const Image image = viewer.waitFor(somethingDrawn);
    ASSERT_TRUE(somethingDrawn(image));
    expectCentred(image);
    // The unit sphere seen from 17.3 units away with a 45 degree field of
    // view spans about 2 / (2 * 17.3 * tan 22.5) of the window: ~56 pixels.
    const Image::Box box = image.litBox();
    EXPECT_NEAR(box.width(), 56, 6);
    EXPECT_NEAR(box.height(), 56, 6);
    for (auto [x, y] : {std::pair{0, 0}, {399, 0}, {0, 399}, {399, 399}})
        EXPECT_FALSE(image.lit(x, y, 0)) << "corner " << x << "," << y << " is not black";

    EXPECT_EQ(viewer.out(), "Your graphics card is the shit\n");
    viewer.key("q");
    EXPECT_EQ(viewer.waitExit(), 0);
}

TEST(Startup, QuitKeysEndWithStatusZero) {
    for (const char* key : {"q", "Escape"}) {
        Viewer viewer;
        viewer.start();
        ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
        viewer.waitFor(somethingDrawn);
        viewer.key(key);
        EXPECT_EQ(viewer.waitExit(), 0) << key;
    }
}

// Without vertex or fragment shaders the viewer refuses to start, and it
// says so before it reads any file: the shader files are not even there.
TEST(Startup, RefusesADriverWithoutShaders) {
    for (const char* hidden : {"-GL_ARB_vertex_shader", "-GL_ARB_fragment_shader"}) {
        Viewer viewer;
        for (const char* name :
             {"euclid.vert", "cityblock.vert", "riemann.vert", "metric.vert", "metric.frag"})
            viewer.removeFile(name);
        viewer.start({std::string("MESA_EXTENSION_OVERRIDE=") + hidden});
        EXPECT_EQ(viewer.waitExit(10), 1) << hidden;
        EXPECT_EQ(viewer.out(), "you suck\n") << hidden;
        EXPECT_EQ(viewer.err().find("File not found"), std::string::npos) << viewer.err();
    }
}

TEST(Startup, ResizedWindowStillShowsTheSphereCentred) {
    Viewer viewer;
    viewer.start();
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
    const Image before = viewer.waitFor(somethingDrawn);
    for (auto [width, height] : {std::pair{640, 300}, {250, 500}}) {
        viewer.resize(width, height);
        // The first frames after the resize may still be drawn for the old
        // size; wait for the reshape to show.
        const Image image = viewer.waitFor(
            [&](const Image& i) { return i.width == width && i.height == height && centred(i); });
        ASSERT_EQ(image.width, width);
        expectCentred(image);
        // The field of view is vertical: the sphere's height in pixels scales
        // with the window's height, and it stays round whatever the aspect.
        const Image::Box box = image.litBox();
        EXPECT_NEAR(box.height(), before.litBox().height() * height / 400.0, 4);
        EXPECT_NEAR(box.width(), box.height(), 3);
    }
    viewer.key("q");
    EXPECT_EQ(viewer.waitExit(), 0);
}

} // namespace
