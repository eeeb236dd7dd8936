#include "app/Shell.h"
#include "view/Camera.h"
#include "view/Mouse.h"

#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>

int main(int argc, char** argv) {
    // The GL driver frees and reallocates large blocks every frame; with
    // glibc's default trim threshold each frame returns them to the kernel and
    // faults them back in (about a hundred page faults a frame with Mesa's
    // software renderer). Keep up to 64 MiB of freed memory instead.
    mallopt(M_TRIM_THRESHOLD, 64 << 20);

    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor");
    glutDisplayFunc(renderScene);
    glutIdleFunc(renderScene);
    glutKeyboardFunc(processNormalKeys);
    glutSpecialFunc(processSpecialKeys);
    Camera::getInstance();
    Mouse::getInstance();
    glEnable(GL_DEPTH_TEST);
    glewInit();

    if (!GLEW_ARB_vertex_shader || !GLEW_ARB_fragment_shader) {
        std::puts("you suck");
        std::exit(1);
    }
    std::puts("Your graphics card is the shit");
    std::fflush(stdout);

    changeMetric(0);
    // Without a first metric there is nothing worth showing; the message is
    // already on standard error.
    if (!current)
        std::exit(2);

    glutMainLoop();
    return 0;
}
