#include "app/Options.h"
#include "app/Screenshot.h"
#include "app/Shell.h"
#include "view/Camera.h"
#include "view/Mouse.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <malloc.h>
#include <unistd.h>

namespace {

// Exit statuses besides 0 (quit), 1 (no shader support), 2 (the first metric
// fails) and kUsageStatus.
constexpr int kMeshStatus = 3;
constexpr int kScreenshotStatus = 4;

std::string screenshotPath;

// The display callback of a screenshot run: draws the first frame at the
// window's size, without the status line (a picture is of the shape), writes
// it to screenshotPath and exits.
void shoot() {
    showStatus = false;
    drawScene();
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    try {
        writePng(screenshotPath, width, height, rgb);
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

    glutInit(&argc, argv);
    Options options;
    if (const std::optional<int> status = parseOptions(argc, argv, options, std::cout, std::cerr))
        return *status;
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

    glutInitWindowSize(options.width, options.height);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor");
    screenshotPath = options.screenshot;
    glutDisplayFunc(screenshotPath.empty() ? renderScene : shoot);
    if (screenshotPath.empty())
        glutIdleFunc(renderScene);
    glutKeyboardFunc(processNormalKeys);
    glutSpecialFunc(processSpecialKeys);
    Camera* camera = Camera::getInstance();
    Mouse::getInstance();
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
    if (!options.meshFile.empty()) {
        try {
            loadMesh(options.meshFile);
            prim = 3;
        } catch (const std::exception& e) {
            std::cerr << e.what() << std::endl;
            std::exit(kMeshStatus);
        }
    }
    if (options.distance > 0.0f) {
        Tuple eye = camera->getSphereLocation();
        eye[0] = options.distance;
        camera->setSphereLocation(eye);
    }

    changeMetric(options.metric);
    // Without a first metric there is nothing worth showing; the message is
    // already on standard error. Most often the viewer was started elsewhere.
    if (!current) {
        std::error_code cwdError;
        std::cerr << "The files are read from " << std::filesystem::current_path(cwdError).string()
                  << "; if that is the wrong folder, start the viewer in the one with the shader"
                     " files, or name it with -C DIR."
                  << std::endl;
        std::exit(2);
    }

    glutMainLoop();
    return 0;
}
