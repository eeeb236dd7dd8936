#pragma once

#include <stdexcept>
#include <string>
#include <utility>

// What the shader layer throws when the GL rejects a shader or a program:
// what() is the one-line message, log() the driver's info log as it gave it
// (line numbers and all; possibly empty).
class ShaderError : public std::runtime_error {
public:
    ShaderError(const std::string& message, std::string log)
        : std::runtime_error(message), m_log(std::move(log)) {}
    const std::string& log() const { return m_log; }

private:
    std::string m_log;
};
