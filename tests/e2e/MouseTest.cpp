// Mouse navigation on the real binary, through real pointer events: a right
// drag orbits, a middle drag zooms, a left drag does nothing.
#include "support/Viewer.h"

#include <gtest/gtest.h>

namespace {

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        viewer.start();
        ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
        // The solid octahedron: unlike a sphere, it looks different from
        // every side.
        viewer.keys({"t", "f"});
        viewer.waitFor([](const Image& i) { return i.litCount() > 500; });
        start = viewer.settle();
        ASSERT_GT(start.litCount(), 500);
    }
    void TearDown() override {
        viewer.key("q");
        EXPECT_EQ(viewer.waitExit(), 0);
    }

    Viewer viewer;
    Image start;
};

TEST_F(Mouse, RightDragOrbitsAndTheWayBackRestoresTheView) {
    viewer.drag(3, 200, 200, 240, 200);
    const Image turned = viewer.settle();
    EXPECT_GT(turned.differingPixels(start), 200) << "a right drag did not turn the view";
    viewer.drag(3, 240, 200, 200, 200);
    const Image back = viewer.settle();
    EXPECT_LT(back.differingPixels(start), 30) << "dragging back did not restore the view";
}

TEST_F(Mouse, MiddleDragUpwardZoomsOut) {
    const int before = start.litBox().width();
    // 360 pixels up at 0.1 units a pixel: the eye goes from 17.3 to 53.3
    // units away, so the solid shrinks to about a third.
    viewer.drag(2, 200, 380, 200, 20, 20);
    const Image after = viewer.waitFor(
        [&](const Image& i) { return i.litBox().width() < before / 2 && i.litCount() > 0; });
    EXPECT_NEAR(after.litBox().width(), before * 17.3 / 53.3, 4);
}

TEST_F(Mouse, LeftDragMovesNothing) {
    viewer.drag(1, 100, 100, 300, 300);
    viewer.key("1"); // something to wait on that changes nothing either
    const Image after = viewer.settle();
    EXPECT_LT(after.differingPixels(start), 20);
}

} // namespace
