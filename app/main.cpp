#include "app/Options.h"
#include "app/PanelInput.h"
#include "app/SavedFiles.h"
#include "app/Screenshot.h"
#include "app/ShapeExport.h"
#include "app/Shell.h"
#include "app/UniformSettings.h"
#include "view/Camera.h"
#include "view/Mouse.h"

#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <unistd.h>
#include <vector>

namespace {

// Exit statuses besides 0 (quit), 1 (no shader support), 2 (the first metric
// fails) and kUsageStatus.
constexpr int kMeshStatus = 3;
constexpr int kScreenshotStatus = 4;
constexpr int kExportStatus = 4;

std::string screenshotPath;

// The display callback of a screenshot run: draws the first frame at the
// window's size, without the status line (a picture is of the shape), writes
// it to screenshotPath and exits.
void shoot() {
    showStatus = false;
    drawScene();
    try {
        writeWindowPng(screenshotPath);
    } catch (const std::exception& e) {
        std::cerr << "Cannot write the screenshot " << e.what() << std::endl;
        std::exit(kScreenshotStatus);
    }
    std::exit(0);
}

} // namespace

int main(int argc, char** argv) {
    // The GL driver frees and reallocates large blocks every frame; with
    // glibc's default trim threshold each frame returns them to the kernel and
    // faults them back in (about a hundred page faults a frame with Mesa's
    // software renderer). Keep up to 64 MiB of freed memory instead.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);

    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options, std::cout, std::cerr))
        return *status;
    // s and x save to the folder the user started the viewer in, whatever -C says.
    std::error_code cwdError;
    setStartFolder(std::filesystem::current_path(cwdError).string());
    if (!options.dir.empty() && chdir(options.dir.c_str()) != 0) {
        std::cerr << "zemlavor: cannot enter " << options.dir << ": " << std::strerror(errno)
                  << std::endl;
        return kUsageStatus;
    }

    // The mesh is read in its own process while the window and the GL start;
    // a reader that cannot start now is tried again by loadMesh, which says
    // why.
    setRefine(options.refine);
    try {
        if (!options.meshFile.empty())
            startMesh(options.meshFile);
    } catch (const std::exception&) {
    }

    std::vector<char*> glutArgv;
    for (std::string& arg : options.glutArgs)
        glutArgv.push_back(arg.data());
    int glutArgc = static_cast<int>(glutArgv.size());
    glutArgv.push_back(nullptr);
    glutInit(&glutArgc, glutArgv.data());
    glutInitWindowSize(options.width, options.height);
    // GLUT puts a window it is given no position for at (-1, -1). Where no
    // window manager moves it, one with a side of 1 pixel lies wholly off the
    // screen there: it is never exposed, so it is never displayed. Such a
    // window starts at (0, 0); any other keeps GLUT's placement.
    if (glutGet(GLUT_INIT_WINDOW_X) < 0 && (options.width == 1 || options.height == 1))
        glutInitWindowPosition(0, 0);
    // Multisampled where the X server offers such a visual; freeglut falls
    // back to a plain one, silently, where it does not.
    glutSetOption(GLUT_MULTISAMPLE, options.samples);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | (options.samples > 0 ? GLUT_MULTISAMPLE : 0));
    glutCreateWindow("Zemlavor");
    screenshotPath = options.screenshot;
    glutDisplayFunc(screenshotPath.empty() ? renderScene : shoot);
    if (screenshotPath.empty())
        glutIdleFunc(renderScene);
    Camera* camera = Camera::getInstance();
    Mouse::getInstance();
    installPanelInput();
    glEnable(GL_DEPTH_TEST);

    // Without GLEW's entry points or any of the three extensions, the first
    // shader call would crash.
    const GLenum glew = glewInit();
    if (glew != GLEW_OK)
        std::cerr << "glewInit failed: " << glewGetErrorString(glew) << std::endl;
    if (glew != GLEW_OK || !GLEW_ARB_shader_objects || !GLEW_ARB_vertex_shader ||
        !GLEW_ARB_fragment_shader) {
        std::puts("you suck");
        std::exit(1);
    }
    std::puts("Your graphics card is the shit");
    std::fflush(stdout);

    wire = !options.solid;
    setWatching(options.watch);
    setMeshWatching(options.watch);
    setP(options.p);
    prim = options.prim;
    detail = options.detail;
    if (!options.meshFile.empty()) {
        try {
            loadMesh(options.meshFile);
            chooseShape(3);
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            std::exit(kMeshStatus);
        }
    }
    if (options.distance > 0.0f)
        camera->setDistance(options.distance);

    setMetricFile(options.metricFile);
    for (const std::string& setting : options.settings)
        setUniformValue(*parseUniformSetting(setting));
    changeMetric(options.metric);
    // Without a first metric there is nothing worth showing; the message is
    // already on standard error. Most often the viewer was started elsewhere.
    if (!current) {
        std::cerr << "The files are read from " << std::filesystem::current_path(cwdError).string();
        if (failureLines()[0].rfind("File not found: ", 0) == 0)
            std::cerr << "; if that is the wrong folder, start the viewer in the one with the"
                         " shader files, or name it with -C DIR";
        std::cerr << "." << std::endl;
        std::exit(2);
    }
    if (!options.exportFile.empty()) {
        try {
            exportShape(options.exportFile);
        } catch (const std::exception& e) {
            std::cerr << "Cannot export the shape to " << e.what() << std::endl;
            std::exit(kExportStatus);
        }
        if (screenshotPath.empty())
            std::exit(0);
    }

    glutMainLoop();
    return 0;
}
