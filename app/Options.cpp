#include "app/Options.h"

#include "app/MetricSwitch.h"
#include "app/UniformSettings.h"
#include "io/MeshExport.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <limits>
#include <map>
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

// A metric named by a path rather than by name.
bool isMetricFile(const std::string& name) {
    return name.find('/') != std::string::npos ||
           (name.size() > 5 && name.compare(name.size() - 5, 5, ".vert") == 0);
}

// Reads the size of an X geometry, [=][WxH][{+-}X{+-}Y], into width and
// height, as GLUT takes it; false for a size --size would refuse.
bool readGeometrySize(std::string geometry, int& width, int& height) {
    if (!geometry.empty() && geometry[0] == '=')
        geometry.erase(0, 1);
    std::string size = geometry.substr(0, geometry.find_first_of("+-"));
    std::replace(size.begin(), size.end(), 'X', 'x');
    return size.empty() || readSize(size, width, height);
}

// Whether `text` is a decimal number from `lowest` to `highest` (an optional
// sign, digits with an optional point, an optional exponent, nothing around
// them, within double's range) or, where `infinity` allows, the word inf or
// infinity in any case. Hexadecimal and nan are not numbers here.
bool isNumberIn(std::string text, double lowest, double highest, bool infinity) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text == "inf" || text == "infinity")
        return infinity;
    if (!text.empty() && text[0] == '+')
        text.erase(0, 1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && stop == end && value >= lowest && value <= highest;
}

// A check for CLI11 that names the value and what it should be.
CLI::Validator validator(bool (*good)(const std::string&), const std::string& want) {
    return CLI::Validator(
        [=](std::string& text) { return good(text) ? std::string() : text + " is not " + want; },
        "");
}

// GLUT's X options, which glutInit takes wherever they are, and whether each
// takes the next word as its value.
const std::map<std::string, bool> kXOptions{
    {"-display", true}, {"-geometry", true}, {"-direct", false}, {"-indirect", false},
    {"-iconic", false}, {"-gldebug", false}, {"-sync", false}};

int indexOf(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
}

} // namespace

std::optional<int> parseOptions(int argc, char** argv, Options& options, std::ostream& out,
                                std::ostream& err) {
    const auto usage = [&](const std::string& what) {
        err << "zemlavor: " << what << "\nTry 'zemlavor --help' for the options." << std::endl;
        return kUsageStatus;
    };
    options.glutArgs = {argv[0]};
    std::vector<const char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const auto x = kXOptions.find(argv[i]);
        if (x == kXOptions.end()) {
            rest.push_back(argv[i]);
            continue;
        }
        options.glutArgs.push_back(argv[i]);
        if (x->second && i + 1 == argc)
            return usage(x->first + " needs a value");
        if (x->second)
            options.glutArgs.push_back(argv[++i]);
        if (x->first == "-geometry" && !readGeometrySize(argv[i], options.width, options.height))
            return usage(x->first + ": " + argv[i] + " is not WxH+X+Y, each side from 1 to " +
                         std::to_string(kMaxSide));
    }

    CLI::App app{"Zemlavor draws a sphere, a teapot or a mesh under a metric of your choice.\n"
                 "GLUT's X options (-display NAME, -geometry WxH+X+Y, -iconic, ...) work too.",
                 "zemlavor"};
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    std::string metric = kMetricNames[options.metric];
    std::string shape = kShapeNames[options.prim];
    std::string size;
    bool noWatch = false;
    const CLI::Validator named(
        [](std::string& text) { return text.empty() ? "an empty name" : std::string(); }, "");
    app.add_option("-m,--metric", metric,
                   "the start metric: euclid, cityblock, riemann, minkowski, or a vertex shader "
                   "file of your own (a name with a / or ending in .vert)")
        ->type_name("NAME|FILE")
        ->check(validator(
            [](const std::string& text) {
                return isMetricFile(text) || indexOf(kMetricNames, text) < kCustomMetric;
            },
            "a metric name or a .vert file"))
        ->capture_default_str();
    app.add_option("--set", options.settings,
                   "give the metric program's uniform float NAME the VALUE (a vec3: X,Y,Z); "
                   "repeatable")
        ->type_name("NAME=VALUE")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->check(validator([](const std::string& text) { return !!parseUniformSetting(text); },
                          "NAME=VALUE or NAME=X,Y,Z"));
    app.add_option("-s,--shape", shape, "sphere, teapot, or a mesh file to show")
        ->type_name("sphere|teapot|FILE")
        ->check(named)
        ->capture_default_str();
    app.add_flag("--solid", options.solid, "draw solid instead of wireframe");
    app.add_option("--size", size,
                   "window size in pixels (default: the size in -geometry, else 400x400)")
        ->type_name("WxH")
        ->check(validator(
            [](const std::string& text) {
                int width, height;
                return readSize(text, width, height);
            },
            "WIDTHxHEIGHT, each from 1 to " + std::to_string(kMaxSide)));
    app.add_option("--distance", options.distance,
                   "the eye's distance from the centre, 1 to 999 (17.32 at start)")
        ->type_name("R")
        ->check(validator([](const std::string& text) { return isNumberIn(text, 1, 999, false); },
                          "a number from 1 to 999"));
    app.add_option("-C,--dir", options.dir, "read the shader files and riemann.mat from DIR")
        ->type_name("DIR")
        ->check(CLI::Validator(CLI::ExistingDirectory).description(""));
    app.add_option("--screenshot", options.screenshot,
                   "write the first frame to FILE as a PNG picture and exit")
        ->type_name("FILE")
        ->check(named);
    app.add_option("--export", options.exportFile,
                   "write the deformed shape to FILE (.obj, .ply or .stl) and exit")
        ->type_name("FILE")
        ->check(named)
        ->check(validator(isMeshExportName, "a name ending in .obj, .ply or .stl"));
    app.add_flag("--no-watch", noWatch, "do not rebuild the metric when its files change");
    app.add_option("--p", options.p, "the Minkowski exponent, 0.5 to 64 or inf")
        ->type_name("VALUE")
        ->check(validator([](const std::string& text) { return isNumberIn(text, 0.5, 64, true); },
                          "from 0.5 to 64 or inf"));
    app.add_option("--detail", options.detail, "the sphere's slices and stacks, 3 to 1000")
        ->type_name("N")
        ->check(CLI::Range(3, 1000).description(""))
        ->capture_default_str();
    app.add_option("--samples", options.samples,
                   "samples per pixel for smooth edges, 0 to 16 (0: none); fewer where the X "
                   "server offers no such picture")
        ->type_name("N")
        ->check(CLI::Range(0, 16).description(""))
        ->capture_default_str();
    app.add_option("--refine", options.refine,
                   "split mesh edges longer than F times the mesh's radius (0: never)")
        ->type_name("F")
        ->check(validator(
            [](const std::string& text) {
                return isNumberIn(text, 0, std::numeric_limits<double>::max(), false);
            },
            "a number from 0 up"))
        ->capture_default_str();
    app.set_version_flag("--version", "zemlavor " ZEMLAVOR_VERSION);

    try {
        app.parse(static_cast<int>(rest.size()), rest.data());
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0)
            return app.exit(e, out, err);
        return usage(e.what());
    }

    options.metric = indexOf(kMetricNames, metric);
    if (isMetricFile(metric)) {
        options.metric = kCustomMetric;
        options.metricFile = metric;
    }
    options.prim = indexOf(kShapeNames, shape);
    if (options.prim == static_cast<int>(kShapeNames.size())) {
        options.prim = 0;
        options.meshFile = shape;
    }
    if (!size.empty())
        readSize(size, options.width, options.height);
    options.watch = !noWatch;
    if (!options.dir.empty()) {
        for (std::string* path :
             {&options.meshFile, &options.screenshot, &options.exportFile, &options.metricFile})
            if (!path->empty())
                *path = std::filesystem::absolute(*path).string();
    }
    return std::nullopt;
}
