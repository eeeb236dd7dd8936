// The smallest GLUT + GLEW program that puts on screen what the viewer shows
// first: a 400x400 double-buffered window with a depth buffer, the same
// projection and camera, and the same wireframe sphere, drawn by the
// fixed-function pipeline. startup_bench compares the viewer's start-up with
// this one's. It draws when GLUT asks for a redisplay; with --idle it also
// draws whenever GLUT is idle, as the viewer does, which tells what that
// costs.

#include <GL/glew.h>
#include <GL/glut.h>

#include <cstdlib>
#include <cstring>

namespace {

void display() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(10, 10, 10, 0, 0, 0, 0, 0, 1);
    glutWireSphere(1.0, 50, 50);
    glutSwapBuffers();
}

void reshape(int width, int height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, height > 0 ? double(width) / height : 1.0, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor minimal");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    if (argc > 1 && std::strcmp(argv[1], "--idle") == 0)
        glutIdleFunc(display);
    glEnable(GL_DEPTH_TEST);
    if (glewInit() != GLEW_OK)
        return EXIT_FAILURE;
    glutMainLoop();
    return 0;
}
