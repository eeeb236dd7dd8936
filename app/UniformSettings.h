#pragma once

#include <optional>
#include <string>
#include <vector>

// Values the user gives the metric program's uniforms by name (--set, the
// panel's sliders): a float, or a vec3 as three. Kept across rebuilds and
// switches of the metric, and given to every program built from then on;
// the viewer's own "p" and "g_matrix" of the shipped metrics are left to it.
struct UniformValue {
    std::string name;
    std::vector<float> values; // one for a float, three for a vec3
};

// Reads "NAME=VALUE" or "NAME=X,Y,Z": NAME a GLSL identifier, the numbers
// finite decimals. Nothing when the text is not that.
std::optional<UniformValue> parseUniformSetting(const std::string& text);

// Keeps `value` (replacing one of the same name) and gives it to the current
// program at once.
void setUniformValue(const UniformValue& value);
// Gives every kept value to the current program, which must be bound. A
// name the program has no float or vec3 uniform of gets one line on
// std::cerr, the first time only.
void applyUniformValues();
const std::vector<UniformValue>& uniformValues();
// The current program's active float and vec3 uniforms that the user may
// set (the same ones setUniformValue reaches), with the values the program
// holds now, in the GL's order. Empty while no metric is on.
std::vector<UniformValue> programUniforms();
