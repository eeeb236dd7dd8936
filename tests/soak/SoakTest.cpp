// The real viewer under a stream of random input: keys of the table (and a
// few that are not), drags with each button, resizes, as fast as the X server
// takes them. It must stay alive until "q", keep its memory bounded, and, in
// a sanitizer build, have nothing to report.
//
// ZEMLAVOR_SOAK_ACTIONS sets how many actions (default 3000) and
// ZEMLAVOR_SOAK_SEED the random seed (default 1); scripts/soak runs the long
// form.
#include "support/Viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>

namespace {

long envOr(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

TEST(Soak, RandomInputUntilQuit) {
    const long actions = envOr("ZEMLAVOR_SOAK_ACTIONS", 3000);
    const long seed = envOr("ZEMLAVOR_SOAK_SEED", 1);
    // Freed memory sits in ASan's quarantine for a while; keep that small so
    // that the memory bound means the same in both builds.
    const long boundKiB = ZEMLAVOR_SANITIZED ? 96 * 1024 : 24 * 1024;

    Viewer viewer;
    viewer.start({"ASAN_OPTIONS=detect_leaks=0:quarantine_size_mb=16:halt_on_error=1",
                  "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"});
    ASSERT_TRUE(viewer.waitForWindow(30)) << viewer.err();

    std::mt19937 random(static_cast<unsigned>(seed));
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* tableKeys[] = {"e", "t", "r", "f", "1", "2", "3"};
    const char* otherKeys[] = {"E", "T", "x", "Up", "F5", "space", "0"};
    int width = 400, height = 400;
    long xEvents = 0, warmKiB = 0, maxKiB = 0;
    const auto start = std::chrono::steady_clock::now();

    for (long i = 0; i < actions; ++i) {
        const int kind = pick(100);
        if (kind < 40) {
            viewer.key(pick(10) == 0 ? otherKeys[pick(7)] : tableKeys[pick(7)]);
            xEvents += 2;
        } else if (kind < 88) {
            const int steps = 1 + pick(6);
            int x = pick(width), y = pick(height);
            viewer.mouseMove(x, y);
            const int button = 1 + pick(3);
            viewer.mouseDown(button);
            for (int s = 0; s < steps; ++s) {
                x = std::clamp(x + pick(81) - 40, 0, width - 1);
                y = std::clamp(y + pick(81) - 40, 0, height - 1);
                viewer.mouseMove(x, y);
            }
            viewer.mouseUp(button);
            xEvents += 3 + steps;
        } else {
            width = 120 + pick(521);
            height = 120 + pick(521);
            viewer.resize(width, height);
            xEvents += 1;
        }
        if (i % 100 == 99) {
            ASSERT_TRUE(viewer.running())
                << "died after " << i + 1 << " actions (seed " << seed << ")\n"
                << viewer.err().substr(viewer.err().size() > 4000 ? viewer.err().size() - 4000 : 0);
            const long rss = viewer.rssKiB();
            if (i < 300)
                warmKiB = std::max(warmKiB, rss);
            maxKiB = std::max(maxKiB, rss);
        }
    }
    viewer.key("q");
    const int status = viewer.waitExit(120);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string err = viewer.err();
    const size_t switches = viewer.switches();
    std::cout << "soak: " << actions << " actions (" << xEvents << " X events, " << switches
              << " metric switches), seed " << seed << ", " << seconds
              << " s; resident KiB after warm-up " << warmKiB << ", highest " << maxKiB << "\n";

    EXPECT_EQ(status, 0) << "signal " << viewer.signal();
    EXPECT_LT(maxKiB - warmKiB, boundKiB);
    EXPECT_EQ(err.find("AddressSanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
}

} // namespace
