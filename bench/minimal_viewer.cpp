// The smallest GLUT + GLEW program that puts on screen what the viewer shows
// first: a 400x400 double-buffered window with a depth buffer, the same
// projection and camera, and the same wireframe sphere, drawn by the
// fixed-function pipeline, when GLUT asks for a redisplay. zem_bench compares
// the viewer's start-up with this one's.

#include <GL/glew.h>

#include <GL/freeglut.h>

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutSetOption(GLUT_MULTISAMPLE, 4); // as the viewer asks by default
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutCreateWindow("Zemlavor minimal");
    glutDisplayFunc([] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        gluLookAt(10, 10, 10, 0, 0, 0, 0, 0, 1);
        glutWireSphere(1.0, 50, 50);
        glutSwapBuffers();
    });
    glMatrixMode(GL_PROJECTION);
    gluPerspective(45.0, 1.0, 1.0, 1000.0); // the window keeps its 400x400
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    if (glewInit() != GLEW_OK)
        return 1;
    glutMainLoop();
    return 0;
}
