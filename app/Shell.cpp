#include "app/Shell.h"

#include "io/FileWatcher.h"
#include "io/MeshFile.h"
#include "math/PNorm.h"
#include "metric/Metric.h"
#include "shader/ShaderError.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"
#include "view/Overlay.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cmath>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <sstream>
#include <stdexcept>

Metric* current = nullptr;
bool wire = true;
int prim = 0;
std::unique_ptr<MeshBuffers> mesh;
bool showStatus = true;

namespace {

// Every metric by the index changeMetric takes: its name and the files it is
// built from besides metric.vert and metric.frag. A new metric is one line.
struct MetricSources {
    const char* name;
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
std::vector<std::string> failure;

const MetricSources& sources(int index) {
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

void renderScene() {
    advanceSweep(glutGet(GLUT_ELAPSED_TIME));
    reloadChanged(std::chrono::steady_clock::now());
    if (!drawableFits())
        return;
    drawScene();
    glutSwapBuffers();
}

void drawScene() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Camera::getInstance()->Look();
    drawPrimitive();
    drawOverlay();
}

namespace {

// statusLine() as the one line the status box draws, kept between frames.
const std::vector<std::string>& statusLines() {
    static std::vector<std::string> lines(1);
    if (lines[0] != statusLine())
        lines[0] = statusLine();
    return lines;
}

} // namespace

void drawOverlay() {
    static const float kFailureColour[3] = {1.0f, 0.85f, 0.3f};
    static const float kStatusColour[3] = {0.85f, 0.85f, 0.85f};
    static Overlay failureBox(Overlay::Corner::TopLeft, kFailureColour);
    static Overlay statusBox(Overlay::Corner::BottomLeft, kStatusColour);
    if (!failure.empty())
        failureBox.draw(failure);
    else if (current && showStatus)
        statusBox.draw(statusLines());
}

void drawPrimitive() {
    switch (prim) {
    case 0:
        if (wire)
            glutWireSphere(1.0, 50, 50);
        else
            glutSolidSphere(1.0, 50, 50);
        break;
    case 1:
    case 2:
        if (wire)
            glutWireTeapot(1.0);
        else
            glutSolidTeapot(1.0);
        break;
    case 3:
        if (mesh)
            mesh->draw(wire);
        else
            prim = 0;
        break;
    default:
        prim = 0;
        break;
    }
}

void processNormalKeys(unsigned char key, int, int) {
    switch (key) {
    case 'e':
        changeMetric(0);
        break;
    case 't':
        changeMetric(1);
        break;
    case 'r':
        changeMetric(2);
        break;
    case 'm':
        changeMetric(3);
        break;
    case '+':
    case '=':
        setP(raiseP(shellP));
        break;
    case '-':
        setP(lowerP(shellP));
        break;
    case 'a':
        sweeping = !sweeping;
        sweepStartMs = -1;
        break;
    case 'f':
        wire = !wire;
        break;
    case 'h':
        showStatus = !showStatus;
        break;
    case '1':
    case '2':
    case '3':
        prim = key - '1';
        break;
    case '4':
        if (mesh)
            prim = 3;
        break;
    case 'q':
    case 27:
        std::exit(0);
    default:
        break;
    }
}

void processSpecialKeys(int, int, int) {}

void loadMesh(const std::string& path) {
    MeshData data = readMeshFile(path);
    fitUnitSphere(data);
    try {
        mesh = std::make_unique<MeshBuffers>(data);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

void changeMetric(int index) {
    // Stamps first: a save made while building is a change still to come.
    requested = index;
    std::vector<std::string> files = sources(index).files;
    files.insert(files.end(), {"metric.vert", "metric.frag"});
    watcher.watch(std::move(files));
    failure.clear();
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
        default:
            metric = new EuclideanMetric();
            break;
        }
        current = metric;
        current->Apply();
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
    static bool lineOn = false;
    static int lineMetric = -1;
    static float lineP = 0.0f;
    if ((current != nullptr) != lineOn || requested != lineMetric || shellP != lineP) {
        lineOn = current != nullptr;
        lineMetric = requested;
        lineP = shellP;
        line.clear();
        if (current) {
            line = std::string(sources(requested).name) + " metric";
            if (requested == 3)
                line += "  " + pStatus(shellP);
        }
    }
    return line;
}

const std::vector<std::string>& failureLines() {
    return failure;
}
