// Every file the viewer reads, damaged every way a file can be, at start-up
// and at a key press: the viewer says what is wrong in one line on standard
// error and never crashes. At start-up a damaged Euclidean file ends it with
// status 2; at a key press it keeps running and drawing, and the mended file
// brings the metric's picture back after the key again.
#include "support/Viewer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

enum class Damage { Missing, Empty, Garbage, Unreadable, Directory, Invalid, Unlinkable };

const Damage kAllDamage[] = {Damage::Missing,    Damage::Empty,     Damage::Garbage,
                             Damage::Unreadable, Damage::Directory, Damage::Invalid,
                             Damage::Unlinkable};

const char* describe(Damage d) {
    switch (d) {
    case Damage::Missing:
        return "missing";
    case Damage::Empty:
        return "zero bytes";
    case Damage::Garbage:
        return "binary garbage";
    case Damage::Unreadable:
        return "mode 000";
    case Damage::Directory:
        return "a directory";
    default:
        return "invalid content";
    }
}

bool isMatrix(const std::string& name) {
    return name == "riemann.mat";
}

void damage(const Viewer& viewer, const std::string& name, Damage d) {
    const std::string path = viewer.file(name);
    switch (d) {
    case Damage::Missing:
        viewer.removeFile(name);
        break;
    case Damage::Empty:
        viewer.writeFile(name, "");
        break;
    case Damage::Garbage: {
        std::mt19937 random(7);
        std::string bytes(512, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random() & 0xff);
        viewer.writeFile(name, bytes);
        break;
    }
    case Damage::Unreadable:
        chmod(path.c_str(), 0);
        break;
    case Damage::Directory:
        viewer.removeFile(name);
        fs::create_directory(path);
        break;
    case Damage::Invalid:
        viewer.writeFile(name, isMatrix(name) ? "not a matrix\n"
                                              : "void main() { gl_Position = nowhere; }\n");
        break;
    case Damage::Unlinkable:
        // Valid GLSL that defines none of what the other files call. For the
        // matrix file, numbers that make a valid but singular matrix.
        viewer.writeFile(name, isMatrix(name) ? "1 1 1\n1 1 1\n1 1 1\n"
                                              : "float unrelated() { return 1.0; }\n");
        break;
    }
}

void mend(const Viewer& viewer, const std::string& name) {
    viewer.removeFile(name);
    fs::copy_file(shippedShaderFolder() + "/" + name, viewer.file(name));
}

// The one line that tells the user what is wrong.
std::string expectedLine(const std::string& name, Damage d) {
    switch (d) {
    case Damage::Missing:
    case Damage::Unreadable:
    case Damage::Directory:
        return "File not found: " + name + "\n";
    case Damage::Unlinkable:
        if (!isMatrix(name))
            return "ShaderProg::link() error\n";
        [[fallthrough]];
    default:
        return isMatrix(name) ? "Warning: riemann.mat is not positive definite; the surface is "
                                "not drawn where p.Gp <= 0\n"
                              : "Shader::compile() error: " + name + "\n";
    }
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(BadFile, AtStartUp) {
    for (const char* name : {"euclid.vert", "metric.vert", "metric.frag"})
        for (Damage d : kAllDamage) {
            SCOPED_TRACE(std::string(name) + ", " + describe(d));
            Viewer viewer;
            damage(viewer, name, d);
            viewer.startAsUser();
            EXPECT_EQ(viewer.waitExit(10), 2) << "signal " << viewer.signal();
            EXPECT_EQ(viewer.out(), "Your graphics card is the shit\n");
            // The line is followed by one naming the folder the files came from.
            EXPECT_NE(viewer.err().find(expectedLine(name, d) + "The files are read from "),
                      std::string::npos)
                << viewer.err();
        }
}

// Files only another metric reads do not stop the start.
TEST(BadFile, OtherMetricsFilesDoNotMatterAtStartUp) {
    Viewer viewer;
    damage(viewer, "cityblock.vert", Damage::Garbage);
    damage(viewer, "riemann.vert", Damage::Directory);
    damage(viewer, "riemann.mat", Damage::Missing);
    viewer.startAsUser();
    ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
    EXPECT_GT(viewer.waitFor([](const Image& i) { return i.litCount() > 500; }).litCount(), 500);
    viewer.key("q");
    EXPECT_EQ(viewer.waitExit(), 0);
}

TEST(BadFile, AtKeyPress) {
    const struct {
        const char* name;
        const char* key;
        std::string hue; // of the metric the key builds
    } files[] = {{"euclid.vert", "e", "red"},   {"cityblock.vert", "t", "green"},
                 {"riemann.vert", "r", "blue"}, {"metric.vert", "t", "green"},
                 {"metric.frag", "r", "blue"},  {"riemann.mat", "r", "blue"}};
    const std::string cleanSwitch = "No info log for shader metric.frag\n";
    for (const auto& file : files) {
        Viewer viewer;
        viewer.startAsUser();
        ASSERT_TRUE(viewer.waitForWindow()) << viewer.err();
        for (Damage d : kAllDamage) {
            SCOPED_TRACE(std::string(file.name) + ", " + describe(d));
            damage(viewer, file.name, d);
            viewer.key(file.key);
            const std::string line = expectedLine(file.name, d);
            EXPECT_TRUE(viewer.waitForErr(line)) << viewer.err();
            // Nothing is drawn for a matrix that is nowhere positive; every
            // other failure leaves the plain white fixed-function picture.
            // A failed switch leaves no program: the fixed-function pipeline
            // draws the shape white. A matrix that only draws the warning
            // builds; the zero matrix draws nothing at all.
            const bool failed = !isMatrix(file.name) || d == Damage::Missing ||
                                d == Damage::Unreadable || d == Damage::Directory;
            if (failed) {
                const Image shown =
                    viewer.waitFor([](const Image& i) { return i.hue() == "white"; });
                EXPECT_EQ(shown.hue(), "white");
            }
            EXPECT_TRUE(viewer.running())
                << "exit " << viewer.waitExit(0) << " signal " << viewer.signal() << "\n"
                << viewer.err();

            mend(viewer, file.name);
            const size_t before = viewer.err().size();
            viewer.key(file.key);
            ASSERT_TRUE(viewer
                            .waitFor([&](const Image&) {
                                return viewer.err().size() > before &&
                                       endsWith(viewer.err(), cleanSwitch);
                            })
                            .width > 0);
            EXPECT_TRUE(endsWith(viewer.err(), cleanSwitch)) << viewer.err().substr(before);
            EXPECT_EQ(viewer.waitFor([&](const Image& i) { return i.hue() == file.hue; }).hue(),
                      file.hue);
        }
        viewer.key("q");
        EXPECT_EQ(viewer.waitExit(), 0);
    }
}

} // namespace
