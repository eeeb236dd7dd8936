#include "app/MetricSwitch.h"

#include "app/SavedFiles.h"
#include "app/Shell.h"
#include "app/UniformSettings.h"
#include "io/FileWatcher.h"
#include "math/PNorm.h"
#include "metric/Metric.h"
#include "shader/ShaderError.h"

#include <GL/glew.h>

#include <cmath>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>

namespace {

// Every metric by the index changeMetric takes: its name and the files it is
// built from besides metric.vert and metric.frag. A new metric is one line.
struct MetricSources {
    std::string name;
    std::vector<std::string> files;
};
const std::vector<MetricSources> kMetrics = {
    {"Euclidean", {"euclid.vert"}},
    {"city-block", {"cityblock.vert"}},
    {"Riemannian", {"riemann.vert", "riemann.mat"}},
    {"Minkowski", {"minkowski.vert"}},
};

// How many lines of the driver's info log failureLines() keeps.
constexpr size_t kLogLines = 4;

FileWatcher watcher;
bool watching = true;
int requested = 0;
unsigned builds = 0; // changeMetric calls so far
std::vector<std::string> failure;

// The user's own metric file, for kCustomMetric; empty while there is none.
std::string customFile;

MetricSources sources(int index) {
    if (index == kCustomMetric && !customFile.empty())
        return {std::filesystem::path(customFile).filename().string(), {customFile}};
    return kMetrics[index >= 0 && index < static_cast<int>(kMetrics.size()) ? index : 0];
}

float shellP = 3;
bool sweeping = false;
int sweepStartMs = -1; // -1: not yet seen a frame since the sweep started

// The exponent the sweep or a key chose, into the current Minkowski metric.
void showP(float p) {
    shellP = p;
    if (auto* minkowski = dynamic_cast<MinkowskiMetric*>(current))
        minkowski->setP(p);
}

} // namespace

void changeMetric(int index) {
    if (index == kCustomMetric && customFile.empty())
        index = 0;
    // Stamps first: a save made while building is a change still to come.
    requested = index;
    ++builds;
    std::vector<std::string> files = sources(index).files;
    files.insert(files.end(), {"metric.vert", "metric.frag"});
    watcher.watch(std::move(files));
    failure.clear();
    forgetSaveNote();
    delete current;
    current = nullptr;
    try {
        Metric* metric;
        switch (index) {
        case 1:
            metric = new CityBlockMetric();
            break;
        case 2:
            metric = new RiemannianMetric("riemann.mat");
            break;
        case 3:
            metric = new MinkowskiMetric(shellP);
            break;
        case kCustomMetric:
            metric = new CustomMetric(customFile);
            break;
        default:
            metric = new EuclideanMetric();
            break;
        }
        current = metric;
        current->Apply();
        applyUniformValues();
    } catch (const std::exception& e) {
        // The old program is already gone; bind none, so the primitive is
        // still drawn (fixed-function) while the user mends the file.
        delete current;
        current = nullptr;
        glUseProgramObjectARB(0);
        std::cerr << e.what() << std::endl;
        failure = {e.what()};
        if (const auto* error = dynamic_cast<const ShaderError*>(&e)) {
            std::istringstream log(error->log());
            std::string line;
            while (failure.size() <= kLogLines && std::getline(log, line))
                if (!line.empty())
                    failure.push_back(line);
        }
    }
}

void toggleSweep() {
    sweeping = !sweeping;
    sweepStartMs = -1;
}

void setMetricFile(const std::string& path) {
    customFile = path;
}

const std::string& metricFile() {
    return customFile;
}

std::string metricName() {
    return sources(requested).name;
}

int metricIndex() {
    return requested;
}

bool sweepRunning() {
    return sweeping;
}

float getP() {
    return shellP;
}

void setP(float p) {
    sweeping = false;
    if (!std::isnan(p))
        showP(clampP(p));
}

void advanceSweep(int elapsedMs) {
    if (!sweeping)
        return;
    if (sweepStartMs < 0)
        sweepStartMs = elapsedMs;
    showP(sweepP((elapsedMs - sweepStartMs) / 1000.0));
}

bool reloadChanged(std::chrono::steady_clock::time_point now) {
    if (!watching || !watcher.poll(now))
        return false;
    changeMetric(requested);
    return true;
}

void setWatching(bool on) {
    watching = on;
}

const std::string& statusLine() {
    // Made again only when what it says changes: a frame that draws it
    // allocates nothing.
    static std::string line;
    static unsigned lineBuild = ~0u;
    static float lineP = 0.0f;
    if (builds != lineBuild || shellP != lineP) {
        lineBuild = builds;
        lineP = shellP;
        line.clear();
        if (current) {
            line = metricName() + " metric";
            if (requested == 3)
                line += "  " + pStatus(shellP);
        }
    }
    return line;
}

const std::vector<std::string>& failureLines() {
    return failure;
}
