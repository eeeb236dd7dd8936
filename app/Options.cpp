#include "app/Options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <vector>

namespace {

// The metric names, in changeMetric's order.
const std::vector<std::string> kMetricNames{"euclid", "cityblock", "riemann", "minkowski"};
const std::vector<std::string> kShapeNames{"sphere", "teapot"};

// The largest window side: the GL's largest viewport here.
constexpr int kMaxSide = 16384;

// Reads "WxH", both whole numbers from 1 to kMaxSide and nothing around them.
bool readSize(const std::string& text, int& width, int& height) {
    const char* end = text.data() + text.size();
    const auto [x, widthError] = std::from_chars(text.data(), end, width);
    if (widthError != std::errc() || x == end || *x != 'x')
        return false;
    const auto [rest, heightError] = std::from_chars(x + 1, end, height);
    return heightError == std::errc() && rest == end && width >= 1 && height >= 1 &&
           width <= kMaxSide && height <= kMaxSide;
}

int indexOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

} // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options, std::ostream& out,
                                std::ostream& err) {
    CLI::App app{"Zemlavor draws a sphere, a teapot or a mesh under a metric of your choice.\n"
                 "X options (-display, -geometry, ...) are taken before these.",
                 "zemlavor"};
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string metric = kMetricNames[options.metric];
    std::string shape = kShapeNames[options.prim];
    std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    app.add_option("-m,--metric", metric, "the start metric")
        ->type_name("NAME")
        ->check(CLI::IsMember(kMetricNames))
        ->capture_default_str();
    app.add_option("-s,--shape", shape, "sphere, teapot, or a mesh file to show")
        ->type_name("sphere|teapot|FILE")
        ->capture_default_str();
    app.add_flag("--solid", options.solid, "draw solid instead of wireframe");
    app.add_option("--size", size, "window size in pixels")
        ->type_name("WxH")
        ->check(CLI::Validator(
            [](std::string& text) {
                int width, height;
                return readSize(text, width, height)
                           ? std::string()
                           : text + " is not WIDTHxHEIGHT, each from 1 to " +
                                 std::to_string(kMaxSide);
            },
            ""))
        ->capture_default_str();
    app.add_option("--distance", options.distance,
                   "the eye's distance from the centre (17.32 at start)")
        ->type_name("R")
        ->check(CLI::Range(1.0, 999.0));
    app.add_option("-C,--dir", options.dir, "read the shader files and riemann.mat from DIR")
        ->type_name("DIR")
        ->check(CLI::Validator(CLI::ExistingDirectory).description(""));
    app.add_option("--screenshot", options.screenshot,
                   "write the first frame to FILE as a PNG picture and exit")
        ->type_name("FILE");
    app.add_flag("!--no-watch", options.watch, "do not rebuild the metric when its files change");
    app.add_option("--p", options.p, "the Minkowski exponent, 0.5 to 64 or inf")
        ->type_name("VALUE")
        ->check(CLI::Validator(
            [](std::string& text) {
                const double p = std::strtod(text.c_str(), nullptr);
                return (p >= 0.5 && p <= 64) || p == HUGE_VAL
                           ? std::string()
                           : text + " is not from 0.5 to 64 or inf";
            },
            ""));
    app.add_option("--refine", options.refine,
                   "split mesh edges longer than F times the mesh's radius (0: never)")
        ->capture_default_str()
        ->type_name("F")
        ->check(CLI::Validator(
            [](std::string& text) {
                char* end = nullptr;
                const double f = std::strtod(text.c_str(), &end);
                return !text.empty() && *end == 0 && std::isfinite(f) && f >= 0
                           ? std::string()
                           : text + " is not a number from 0 up";
            },
            ""));
    app.set_version_flag("--version", "zemlavor " ZEMLAVOR_VERSION);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e, out, err);
        err << "zemlavor: " << e.what() << "\nTry 'zemlavor --help' for the options." << std::endl;
        return kUsageStatus;
    }

    options.metric = indexOf(kMetricNames, metric);
    options.prim = indexOf(kShapeNames, shape);
    if (options.prim == static_cast<int>(kShapeNames.size())) {
        options.prim = 0;
        options.meshFile = shape;
    }
    readSize(size, options.width, options.height);
    if (!options.dir.empty()) {
        for (std::string* path : {&options.meshFile, &options.screenshot})
            if (!path->empty())
                *path = std::filesystem::absolute(*path).string();
    }
    return std::nullopt;
}
