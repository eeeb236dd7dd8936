// The GL tests' main: one GLUT window for the whole program, made only when
// tests run (listing them needs no display).
#include "GlContext.h"

#include <GL/glut.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor GL tests");
    glEnable(GL_DEPTH_TEST);
    return glewInit() == GLEW_OK ? RUN_ALL_TESTS() : 1;
}
