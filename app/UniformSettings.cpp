#include "app/UniformSettings.h"

#include "app/Shell.h"
#include "metric/Metric.h"

#include <GL/glew.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iostream>
#include <set>

namespace {

std::vector<UniformValue> values;
std::set<std::string> warned;

bool isIdentifier(const std::string& name) {
    const auto word = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
    };
    return !name.empty() && !std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::all_of(name.begin(), name.end(), word);
}

// Whether `name` is one of the uniforms the viewer sets itself in `metric`:
// p and g_matrix of the shipped metrics.
bool viewersOwn(const Metric& metric, const std::string& name) {
    const bool custom = dynamic_cast<const CustomMetric*>(&metric) != nullptr;
    return !custom && (name == "g_matrix" || name == "p");
}

// Gives `value` to the bound program; false when it has no uniform of that
// name and size.
bool give(const Metric& metric, const UniformValue& value) {
    if (viewersOwn(metric, value.name))
        return true;
    const GLenum type = value.values.size() == 1 ? GL_FLOAT : GL_FLOAT_VEC3_ARB;
    for (const ShaderProg::Uniform& uniform : metric.program().activeUniforms()) {
        if (uniform.name != value.name || uniform.type != type)
            continue;
        if (type == GL_FLOAT)
            glUniform1fARB(uniform.location, value.values[0]);
        else
            glUniform3fvARB(uniform.location, 1, value.values.data());
        return true;
    }
    return false;
}

} // namespace

std::optional<UniformValue> parseUniformSetting(const std::string& text) {
    const size_t equals = text.find('=');
    UniformValue value{text.substr(0, std::min(equals, text.size())), {}};
    if (equals == std::string::npos || !isIdentifier(value.name))
        return std::nullopt;
    const char* at = text.data() + equals + 1;
    const char* end = text.data() + text.size();
    for (;;) {
        float number = 0;
        const auto [next, error] = std::from_chars(at, end, number, std::chars_format::general);
        if (error != std::errc() || !std::isfinite(number))
            return std::nullopt;
        value.values.push_back(number);
        if (next == end)
            break;
        if (*next != ',')
            return std::nullopt;
        at = next + 1;
    }
    if (value.values.size() != 1 && value.values.size() != 3)
        return std::nullopt;
    return value;
}

void setUniformValue(const UniformValue& value) {
    const auto same = [&](const UniformValue& kept) { return kept.name == value.name; };
    const auto kept = std::find_if(values.begin(), values.end(), same);
    if (kept == values.end())
        values.push_back(value);
    else
        *kept = value;
    if (!current)
        return;
    // Uniforms go to the bound program: bind the metric's for a moment.
    const GLhandleARB bound = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(current->program().getHandle());
    applyUniformValues();
    glUseProgramObjectARB(bound);
}

void applyUniformValues() {
    if (!current)
        return;
    for (const UniformValue& value : values)
        if (!give(*current, value) && warned.insert(value.name).second)
            std::cerr << "Warning: the " << metricName() << " metric's program has no uniform "
                      << (value.values.size() == 1 ? "float " : "vec3 ") << value.name
                      << " (the compiler removes one it does not use)\n";
}

const std::vector<UniformValue>& uniformValues() {
    return values;
}

std::vector<UniformValue> programUniforms() {
    std::vector<UniformValue> found;
    if (!current)
        return found;
    const GLhandleARB program = current->program().getHandle();
    for (const ShaderProg::Uniform& uniform : current->program().activeUniforms()) {
        const size_t size = uniform.type == GL_FLOAT            ? 1
                            : uniform.type == GL_FLOAT_VEC3_ARB ? 3
                                                                : 0;
        if (size == 0 || viewersOwn(*current, uniform.name))
            continue;
        UniformValue value{uniform.name, std::vector<float>(3)};
        glGetUniformfvARB(program, uniform.location, value.values.data());
        value.values.resize(size);
        found.push_back(std::move(value));
    }
    return found;
}
