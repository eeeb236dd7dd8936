// The mesh fuzzer's check: the bytes as a file under each of several names,
// read as the viewer reads a mesh (Assimp in a child process), must give
// either sound arrays or one line naming the file and a reason. With
// ZEMLAVOR_FUZZ_TARGET defined this is the libFuzzer binary mesh_fuzzer;
// without, fuzz.cpp's corpus replay calls it.
#include "io/MeshRead.h"
#include "tests/support/TempDir.h"

#include <stdexcept>

// The formats the viewer names, those whose readers crashed or hung on small
// files, and no extension at all (Assimp then goes by the contents).
const char* const kMeshNames[] = {"in.obj", "in.ply", "in.stl",     "in.off", "in.gltf", "in.dae",
                                  "in.x",   "in.mdl", "in.md5mesh", "in.cob", "in"};

void meshTarget(const std::string& bytes) {
    static const TempDir dir;
    for (const std::string name : kMeshNames) {
        const std::string path = dir.write(name, bytes);
        std::string problem;
        try {
            problem = meshProblem(MeshRead(path, {}, std::chrono::seconds(2)).take());
        } catch (const std::runtime_error& e) {
            const std::string line = e.what();
            if (line.rfind(path + ": ", 0) != 0 || line.size() == path.size() + 2 ||
                line.find('\n') != std::string::npos)
                problem = "not one line naming the file: " + line;
        }
        if (!problem.empty())
            throw std::logic_error(name + ": " + problem + " for \"" + bytes.substr(0, 200) + "\"");
    }
}

#ifdef ZEMLAVOR_FUZZ_TARGET
#include <pthread.h>
#include <sanitizer/common_interface_defs.h>

// A reader that trips a sanitizer in the child is to kill the child alone:
// the death callback libFuzzer set, inherited across the fork, would report
// it as the fuzzer's own crash.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    pthread_atfork(nullptr, nullptr, [] { __sanitizer_set_death_callback(nullptr); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    meshTarget({reinterpret_cast<const char*>(data), size});
    return 0;
}
#endif
