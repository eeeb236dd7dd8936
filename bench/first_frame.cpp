// Preloaded (LD_PRELOAD) by zem_bench into a program whose start-up it times:
// when the program's first glutSwapBuffers() has returned and the X server has
// the frame, writes one byte to file descriptor 3, zem_bench's pipe.

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

extern "C" void glutSwapBuffers() {
    static const auto swap = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "glutSwapBuffers"));
    static bool told = false;
    swap();
    if (!told) {
        told = true;
        XSync(glXGetCurrentDisplay(), False);
        if (write(3, "", 1) == 1)
            close(3);
    }
}
