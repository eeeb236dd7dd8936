#include "app/MeshSlot.h"

#include "io/FileWatcher.h"
#include "io/MeshRead.h"
#include "math/MeshShaping.h"
#include "view/MeshBuffers.h"

#include <iostream>
#include <stdexcept>

std::unique_ptr<MeshBuffers> mesh;

namespace {

float refineFraction = 1.0f / 16;
std::string meshPath;
FileWatcher watcher;
bool watching = true;
std::unique_ptr<MeshRead> reading;
std::vector<std::string> failure;

// Starts a read of meshPath that shapes the arrays in the child.
std::unique_ptr<MeshRead> startRead() {
    watcher.watch({meshPath});
    const float fraction = refineFraction;
    return std::make_unique<MeshRead>(meshPath, [fraction](MeshData& data) {
        weldWithCreases(data);
        fitUnitSphere(data);
        std::string note;
        if (fraction > 0 && refine(data, fraction, kRefineCap).capped)
            note = "refining stopped at " + std::to_string(data.indices.size() / 3) +
                   " triangles: one more pass would pass the cap of " + std::to_string(kRefineCap);
        makeCoarseCopy(data, kCoarseTriangles);
        return note;
    });
}

// The finished read's mesh into the GL, replacing the one shown.
void takeIn(MeshRead& read) {
    MeshData data = read.take();
    if (!read.note().empty())
        std::cerr << read.path() << ": " << read.note() << std::endl;
    try {
        mesh = std::make_unique<MeshBuffers>(data);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(read.path() + ": " + e.what());
    }
}

} // namespace

void setRefine(float fraction) {
    refineFraction = fraction;
}

void startMesh(const std::string& path) {
    meshPath = path;
    reading.reset();
    reading = startRead();
}

void loadMesh(const std::string& path) {
    if (!reading || path != meshPath)
        startMesh(path);
    const std::unique_ptr<MeshRead> read = std::move(reading);
    takeIn(*read);
    failure.clear();
}

bool reloadMesh(std::chrono::steady_clock::time_point now) {
    if (meshPath.empty())
        return false;
    try {
        if (watching && watcher.poll(now)) {
            reading.reset();
            reading = startRead();
        }
        if (!reading || !reading->poll())
            return false;
        const std::unique_ptr<MeshRead> read = std::move(reading);
        takeIn(*read);
        failure.clear();
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
        failure = {e.what()};
    }
    return true;
}

void setMeshWatching(bool on) {
    watching = on;
}

const std::vector<std::string>& meshFailureLines() {
    return failure;
}
