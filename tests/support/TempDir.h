#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

// A scratch folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir() : m_path(std::filesystem::temp_directory_path() / "zemlavor-test-XXXXXX") {
        if (!mkdtemp(m_path.data()))
            throw std::runtime_error("mkdtemp failed for " + m_path);
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Writes bytes exactly as given; returns file(name).
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(file(name), std::ios::binary) << bytes;
        return file(name);
    }

private:
    std::string m_path;
};

// A file's bytes ("" when it cannot be read).
inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
