// The command line: what each option sets, and that every bad option or value
// ends with the usage status, one line naming it and a pointer to --help.
#include "app/Options.h"
#include "app/Screenshot.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace {

struct Parsed {
    std::optional<int> status;
    Options options;
    std::string out, err;
};

Parsed parse(std::vector<std::string> args) {
    args.insert(args.begin(), "zemlavor");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    Parsed p;
    std::ostringstream out, err;
    p.status = parseOptions(static_cast<int>(argv.size()), argv.data(), p.options, out, err);
    p.out = out.str();
    p.err = err.str();
    return p;
}

TEST(Options, EachOptionSetsItsValue) {
    struct Case {
        std::vector<std::string> args;
        int metric, prim, width, height;
        bool solid;
        std::string mesh;
    } cases[] = {
        {{}, 0, 0, 400, 400, false, ""},
        {{"-m", "riemann", "-s", "teapot", "--solid", "--size", "640x480"},
         2,
         1,
         640,
         480,
         true,
         ""},
        {{"--metric", "cityblock", "--shape", "sphere", "--size", "1x16384"},
         1,
         0,
         1,
         16384,
         false,
         ""},
        {{"-m", "riemann", "-m", "euclid", "-s", "m.obj"}, 0, 0, 400, 400, false, "m.obj"},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(c.args);
        SCOPED_TRACE(testing::PrintToString(c.args));
        ASSERT_FALSE(p.status) << p.err;
        EXPECT_EQ(p.options.metric, c.metric);
        EXPECT_EQ(p.options.prim, c.prim);
        EXPECT_EQ(std::pair(p.options.width, p.options.height), std::pair(c.width, c.height));
        EXPECT_EQ(p.options.solid, c.solid);
        EXPECT_EQ(p.options.meshFile, c.mesh);
    }
}

TEST(Options, BadOptionsEndWithTheUsageStatus) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--size", "0x5"},
                                          {"--size", "5x"},
                                          {"--size", "16385x5"},
                                          {"--size", "5x16385"},
                                          {"--size", "5x5x"},
                                          {"-m", "foo"},
                                          {"-m"},
                                          {"--bogus"},
                                          {"stray"},
                                          {"--distance", "0"},
                                          {"-C", "/nonexistent"},
                                          {"-C", "/etc/passwd"}}) {
        const Parsed p = parse(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(p.status, kUsageStatus);
        EXPECT_EQ(p.out, "");
        EXPECT_NE(p.err.substr(0, p.err.find('\n')).find(args.back()), std::string::npos) << p.err;
        EXPECT_EQ(p.err.substr(p.err.find('\n')), "\nTry 'zemlavor --help' for the options.\n");
    }
}

TEST(Options, HelpAndVersionPrintToStandardOutput) {
    for (auto [flag, text] : {std::pair{"--help", "--screenshot FILE"},
                              {"-h", "--screenshot FILE"},
                              {"--version", "zemlavor "}}) {
        const Parsed p = parse({flag});
        EXPECT_EQ(p.status, 0) << flag;
        EXPECT_NE(p.out.find(text), std::string::npos) << p.out;
        EXPECT_EQ(p.err, "") << flag;
    }
}

// With -C the viewer changes folder: paths typed before must keep pointing
// where they did.
TEST(Options, PathsBecomeAbsoluteWithADir) {
    const Parsed p = parse({"-C", "/", "--screenshot", "a.png", "-s", "../m.obj"});
    const std::filesystem::path here = std::filesystem::current_path();
    ASSERT_FALSE(p.status) << p.err;
    EXPECT_EQ(p.options.screenshot, (here / "a.png").string());
    EXPECT_EQ(p.options.meshFile, (here / "../m.obj").string());
}

TEST(Screenshot, WritesTheRowsTopFirst) {
    TempDir dir;
    // Three pixels wide: rows of 9 bytes, so any row padding shows.
    const std::vector<unsigned char> bottomFirst{1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                 10, 11, 12, 13, 14, 15, 16, 17, 18};
    writePng(dir.file("shot.png"), 3, 2, bottomFirst);

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, dir.file("shot.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> topFirst(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, topFirst.data(), 0, nullptr));
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(3u, 2u));
    std::vector<unsigned char> want(bottomFirst.begin() + 9, bottomFirst.end());
    want.insert(want.end(), bottomFirst.begin(), bottomFirst.begin() + 9);
    EXPECT_EQ(topFirst, want);
    // A target it cannot replace (a folder) throws; nothing is left beside.
    std::filesystem::create_directory(dir.file("taken"));
    EXPECT_THROW(writePng(dir.file("taken"), 3, 2, bottomFirst), std::runtime_error);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
