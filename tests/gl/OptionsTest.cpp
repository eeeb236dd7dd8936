// The command line as parseOptions reads it (no GL needed, but the viewer's
// library): every field of Options for what a user types, or the status the
// line ends with.
#include "app/Options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

// Options as one line: metric file | settings | shape | size distance | dir
// screenshot export | watch p detail samples refine | GLUT's arguments; or
// "exit N".
std::string parsed(std::vector<std::string> args) {
    args.insert(args.begin(), "zemlavor");
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    Options o;
    std::ostringstream out, err, line;
    if (const auto status = parseOptions(int(argv.size()), argv.data(), o, out, err))
        return "exit " + std::to_string(*status);
    const auto words = [](const std::vector<std::string>& list) {
        std::string joined;
        for (const std::string& word : list)
            joined += word + " ";
        return joined;
    };
    line << o.metric << " " << o.metricFile << "|" << words(o.settings) << "|" << o.prim << " "
         << o.meshFile << " " << o.solid << "|" << o.width << "x" << o.height << " " << o.distance
         << "|" << o.dir << " " << o.screenshot << " " << o.exportFile << "|" << o.watch << " "
         << o.p << " " << o.detail << " " << o.samples << " " << o.refine << "|"
         << words(o.glutArgs);
    return line.str();
}

TEST(OptionsTest, ReadsWhatIsTyped) {
    const std::string here = std::filesystem::current_path().string() + "/";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, "0 ||0  0|400x400 0|  |1 3 50 4 0.0625|zemlavor "},
        {{"-m", "cityblock", "--solid"}, "1 ||0  1|400x400 0|  |1 3 50 4 0.0625|zemlavor "},
        {{"--metric", "riemann"}, "2 ||0  0|400x400 0|  |1 3 50 4 0.0625|zemlavor "},
        {{"-m", "minkowski", "--p", "inf"}, "3 ||0  0|400x400 0|  |1 inf 50 4 0.0625|zemlavor "},
        {{"-m", "euclid", "-m", "own/norm", "-s", "teapot"},
         "4 own/norm||1  0|400x400 0|  |1 3 50 4 0.0625|zemlavor "},
        {{"-m", "n.vert", "--set", "a=1", "--set", "b=1,2,3", "-s", "x.obj"},
         "4 n.vert|a=1 b=1,2,3 |0 x.obj 0|400x400 0|  |1 3 50 4 0.0625|zemlavor "},
        {{"-display", ":9", "--size", "300x200", "-geometry", "100x50+3+4", "-iconic"},
         "0 ||0  0|300x200 0|  |1 3 50 4 0.0625|zemlavor -display :9 -geometry 100x50+3+4 "
         "-iconic "},
        {{"-geometry", "120X80"},
         "0 ||0  0|120x80 0|  |1 3 50 4 0.0625|zemlavor -geometry 120X80 "},
        {{"-geometry", "+5+5"}, "0 ||0  0|400x400 0|  |1 3 50 4 0.0625|zemlavor -geometry +5+5 "},
        {{"--distance", "4.5", "--p", "0.5", "--detail", "400", "--samples", "0", "--refine", "0",
          "--no-watch"},
         "0 ||0  0|400x400 4.5|  |0 0.5 400 0 0|zemlavor "},
        {{"-C", "/", "-s", "x.obj", "--screenshot", "s.png", "--export", "e.PLY", "-m", "m.vert"},
         "4 " + here + "m.vert||0 " + here + "x.obj 0|400x400 0|/ " + here + "s.png " + here +
             "e.PLY|1 3 50 4 0.0625|zemlavor "},
        {{"--help"}, "exit 0"},
        {{"--version"}, "exit 0"},
    };
    for (const auto& [args, want] : cases)
        EXPECT_EQ(parsed(args), want) << args.size();
    // Each of these alone is a usage error.
    for (const char* bad :
         {"-m=foo",      "--p=1e400",      "--p=0x10",       "--p=nan",       "--p=0.49",
          "--p=65",      "--distance=inf", "--distance=0.9", "--size=0x5",    "--size=5x0",
          "--set=w=inf", "--size=5x16385", "--size=5x5x",    "-geometry=0x5", "--export=x.png",
          "-s=",         "--screenshot=",  "--set=w",        "--set=1w=2",    "--set=w=1,2",
          "--detail=2",  "--detail=1001",  "--samples=17",   "--refine=-1",   "--refine=nan",
          "-C=/nowhere", "--bogus"}) {
        std::string arg = bad;
        const size_t equals = arg.find('=', 1);
        std::vector<std::string> args = {arg.substr(0, equals)};
        if (equals != std::string::npos)
            args.push_back(arg.substr(equals + 1));
        EXPECT_EQ(parsed(args), "exit 64") << bad;
    }
}

} // namespace
