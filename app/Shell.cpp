#include "app/Shell.h"

#include "app/Panel.h"
#include "app/SavedFiles.h"
#include "app/Screenshot.h"
#include "app/ShapeExport.h"
#include "math/PNorm.h"
#include "math/Sphere.h"
#include "metric/Metric.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"
#include "view/Mouse.h"
#include "view/Overlay.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <algorithm>
#include <cstdlib>

Metric* current = nullptr;
bool wire = true;
int prim = 0;
int detail = 50;
bool showStatus = true;

void renderScene() {
    advanceSweep(glutGet(GLUT_ELAPSED_TIME));
    const auto now = std::chrono::steady_clock::now();
    reloadChanged(now);
    reloadMesh(now);
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
    takeRequestedSnapshot();
    drawOverlay();
    drawPanel();
}

namespace {

// statusLine() and the current metric's warning, if any: the lines the
// status box draws, kept between frames.
const std::vector<std::string>& statusLines() {
    static std::vector<std::string> lines;
    const std::string& warning = current->warning();
    const size_t count = warning.empty() ? 1 : 2;
    if (lines.size() != count || lines[0] != statusLine() || (count == 2 && lines[1] != warning)) {
        lines = {statusLine()};
        if (!warning.empty())
            lines.push_back(warning);
    }
    return lines;
}

// The lines of `parts` one after another, then `note` unless it is null, in
// `kept`, which is made again only when they change: a box that says what it
// said last frame allocates nothing.
using Lines = std::vector<std::string>;
const Lines& joined(Lines& kept, std::initializer_list<const Lines*> parts,
                    const std::string* note) {
    size_t count = note ? 1 : 0;
    for (const Lines* part : parts)
        count += part->size();
    bool same = kept.size() == count && (!note || kept.back() == *note);
    auto line = kept.begin();
    for (const Lines* part : parts)
        for (size_t i = 0; same && i < part->size(); ++i)
            same = *line++ == (*part)[i];
    if (!same) {
        kept.clear();
        for (const Lines* part : parts)
            kept.insert(kept.end(), part->begin(), part->end());
        if (note)
            kept.push_back(*note);
    }
    return kept;
}

} // namespace

void drawOverlay() {
    static const float kFailureColour[3] = {1.0f, 0.85f, 0.3f};
    static const float kStatusColour[3] = {0.85f, 0.85f, 0.85f};
    static Overlay failureBox(Overlay::Corner::TopLeft, kFailureColour);
    static Overlay statusBox(Overlay::Corner::BottomLeft, kStatusColour);
    static std::vector<std::string> failureKept, statusKept;
    static const std::vector<std::string> none;
    const SaveNote* note = recentSaveNote();
    const std::string* failed = note && note->failed ? &note->text : nullptr;
    const std::string* exported = note && !note->failed ? &note->text : nullptr;
    if (!failureLines().empty() || !meshFailureLines().empty() || failed)
        failureBox.draw(joined(failureKept, {&failureLines(), &meshFailureLines()}, failed));
    if (current && (showStatus || exported))
        statusBox.draw(joined(statusKept, {showStatus ? &statusLines() : &none}, exported));
}

namespace {

// The sphere at a detail GLUT draws wrongly (half of it is missing above
// kGlutDetail here), made when first asked for at that detail.
void drawOwnSphere() {
    static std::unique_ptr<MeshBuffers> sphere;
    static int sphereDetail = 0;
    if (sphereDetail != detail) {
        sphere.reset();
        const SphereGrid grid = unitSphere(detail, detail);
        sphere = std::make_unique<MeshBuffers>(grid.surface, grid.lines);
        sphereDetail = detail;
    }
    sphere->draw(wire);
}

} // namespace

void chooseShape(int shape) {
    if (shape != 3 || mesh)
        prim = shape;
}

void drawPrimitive() {
    switch (prim) {
    case 0:
        if (detail > kGlutDetail)
            drawOwnSphere();
        else if (wire)
            glutWireSphere(1.0, detail, detail);
        else
            glutSolidSphere(1.0, detail, detail);
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
            mesh->draw(wire, Mouse::getInstance()->dragging() || sweepRunning());
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
    case 'u':
        if (!metricFile().empty())
            changeMetric(kCustomMetric);
        break;
    case '+':
    case '=':
        setP(raiseP(getP()));
        break;
    case '-':
        setP(lowerP(getP()));
        break;
    case 'a':
        toggleSweep();
        break;
    case 'f':
        wire = !wire;
        break;
    case 'h':
        showStatus = !showStatus;
        break;
    case 'x':
        exportShapeToFolder();
        break;
    case '1':
    case '2':
    case '3':
        chooseShape(key - '1');
        break;
    case '4':
        chooseShape(3);
        break;
    case 's':
        requestSnapshot();
        break;
    case '\t':
        togglePanel();
        break;
    case 'q':
    case 27:
        std::exit(0);
    default:
        break;
    }
}

void processSpecialKeys(int, int, int) {}
