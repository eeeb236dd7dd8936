#pragma once

#include <string>

// A scratch folder under $TMPDIR (or /tmp), removed with everything in it when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path()/name
    std::string file(const std::string& name) const;
    // Writes bytes exactly as given (no newline added); returns file(name).
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string m_path;
};
