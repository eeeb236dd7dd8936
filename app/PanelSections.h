#pragma once

#include <string>

// The panel's sections, drawn with ImGui calls inside its window. What a
// control asks for is done once the panel's frame is drawn
// (afterPanelFrame), through the functions the keys and options use.

// The panel's width at most, in pixels.
constexpr float kPanelWidth = 280.0f;

// `text` wrapped, in the failure box's colour.
void warningText(const std::string& text);
// The metrics and a field to open your own metric's file.
void metricSection();
// p on a logarithmic slider, infinity and the sweep.
void exponentSection();
// The Riemannian metric's matrix as riemann.mat holds it, and its shape.
void matrixSection();
// A field for each of the program's own uniforms.
void uniformSection();
// The shape, a mesh file to load, wireframe and the sphere's detail.
void shapeSection();
// The eye's distance, the start view, saving the view, the frame time.
void viewSection();
// The key table.
void keysSection();
