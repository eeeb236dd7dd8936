#include "app/PanelSections.h"

#include "app/MetricSwitch.h"
#include "app/Panel.h"
#include "app/SavedFiles.h"
#include "app/Screenshot.h"
#include "app/ShapeExport.h"
#include "app/Shell.h"
#include "app/UniformSettings.h"
#include "math/Ellipsoid.h"
#include "math/Matrix.h"
#include "view/Camera.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>

namespace {

constexpr float kFieldWidth = 150.0f;           // a slider's or field's, label aside
const ImVec4 kWarning(1.0f, 0.85f, 0.3f, 1.0f); // the failure box's colour

void later(std::function<void()> action) {
    afterPanelFrame(std::move(action));
}

// A one-line text field and its button; true when the button is pressed
// with something typed.
bool fileField(const char* id, const char* hint, const char* button, std::string& text) {
    ImGui::SetNextItemWidth(-ImGui::CalcTextSize(button).x - 3 * ImGui::GetStyle().ItemSpacing.x);
    ImGui::InputTextWithHint(id, hint, &text);
    ImGui::SameLine();
    return ImGui::Button(button) && !text.empty();
}

} // namespace

void warningText(const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, kWarning);
    ImGui::TextWrapped("%s", text.c_str());
    ImGui::PopStyleColor();
}

void metricSection() {
    static const char* const kNames[] = {"Euclidean (e)", "city-block (t)", "Riemannian (r)",
                                         "Minkowski (m)"};
    for (int i = 0; i < 4; ++i) {
        if (i % 2)
            ImGui::SameLine(kPanelWidth / 2);
        if (ImGui::RadioButton(kNames[i], metricIndex() == i))
            later([i] { changeMetric(i); });
    }
    if (!metricFile().empty()) {
        const std::string name = std::filesystem::path(metricFile()).filename().string() + " (u)";
        if (ImGui::RadioButton(name.c_str(), metricIndex() == kCustomMetric))
            later([] { changeMetric(kCustomMetric); });
    }
    static std::string file;
    if (fileField("##metric file", "your metric's vertex shader", "Open", file))
        later([path = fromStartFolder(file)] {
            setMetricFile(path);
            changeMetric(kCustomMetric);
        });
}

// p on a logarithmic scale over the keys' range, infinity and the sweep.
void exponentSection() {
    const float p = getP();
    float value = std::min(p, 64.0f);
    ImGui::SetNextItemWidth(kFieldWidth);
    if (ImGui::SliderFloat("p", &value, 0.5f, 64.0f, std::isinf(p) ? "∞" : "%.3g",
                           ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp))
        later([value] { setP(value); });
    bool infinite = std::isinf(p);
    if (ImGui::Checkbox("∞", &infinite))
        later([infinite] { setP(infinite ? INFINITY : 64.0f); });
    ImGui::SameLine();
    if (ImGui::Button(sweepRunning() ? "Stop the sweep (a)" : "Sweep from 1 to ∞ (a)"))
        later(toggleSweep);
    if (p < 1.0f)
        ImGui::TextDisabled("Below 1: a quasi-norm, not convex.");
}

// The 3x3 block of riemann.mat as the file holds it now (so an edit made
// elsewhere shows at once), as nine fields: an edit sets an entry and its
// mirror and writes the file, from which the watcher rebuilds the metric.
void matrixSection() {
    static const std::string kFile = "riemann.mat";
    static std::string error; // why the last write failed
    Matrix g;
    try {
        g = Matrix(kFile);
    } catch (const std::exception& e) {
        warningText(e.what());
        return;
    }
    bool edited = false;
    const float cell = (ImGui::GetContentRegionAvail().x - 2 * ImGui::GetStyle().ItemSpacing.x) / 3;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const char label[] = {'#', '#', 'g', char('0' + i), char('0' + j), 0};
            if (j > 0)
                ImGui::SameLine();
            ImGui::SetNextItemWidth(cell);
            float value = g[i][j];
            if (ImGui::DragFloat(label, &value, 0.01f, 0.0f, 0.0f, "%.4g")) {
                g[i][j] = g[j][i] = value;
                edited = true;
            }
        }
    if (edited)
        later([g] {
            try {
                g.save(kFile);
                error.clear();
            } catch (const std::exception& e) {
                error = e.what();
            }
        });
    if (!error.empty())
        warningText(error);
    const std::array<double, 3> eigen = symmetricEigenvalues3(g);
    char axes[3][16];
    for (int k = 0; k < 3; ++k)
        if (eigen[k] > 0)
            std::snprintf(axes[k], sizeof axes[k], "%.4g", 1 / std::sqrt(eigen[k]));
        else
            std::snprintf(axes[k], sizeof axes[k], "none");
    ImGui::Text("eigenvalues λ  %.4g  %.4g  %.4g", eigen[0], eigen[1], eigen[2]);
    ImGui::Text("semi-axes 1/√λ  %s  %s  %s", axes[0], axes[1], axes[2]);
    const char* shape = "Positive definite.";
    switch (classifyEllipsoid(g)) {
    case EllipsoidView::NotPositiveDefinite:
        shape = "Not positive definite: no surface where p·Gp <= 0.";
        break;
    case EllipsoidView::TooSmall:
        shape = "Positive definite; smaller than a pixel from the start view.";
        break;
    case EllipsoidView::TooLarge:
        shape = "Positive definite; beyond the far plane from the start view.";
        break;
    case EllipsoidView::Zero:
        shape = "All zeros: no surface.";
        break;
    case EllipsoidView::Infinite:
        shape = "A number too large for a float: no surface.";
        break;
    case EllipsoidView::Visible:
        break;
    }
    ImGui::TextWrapped("%s", shape);
}

// A drag field for each of the program's own uniforms: a file declares no
// range, so none is imposed; a pixel of drag is 1% of the value's size (of
// 0.1 at least) and a double-click takes a typed number.
void uniformSection() {
    ImGui::PushID("uniforms");
    for (UniformValue& uniform : programUniforms()) {
        float size = 0.1f;
        for (float v : uniform.values)
            size = std::max(size, std::fabs(v));
        ImGui::SetNextItemWidth(kFieldWidth);
        if (ImGui::DragScalarN(uniform.name.c_str(), ImGuiDataType_Float, uniform.values.data(),
                               static_cast<int>(uniform.values.size()), 0.01f * size, nullptr,
                               nullptr, "%.4g"))
            later([uniform] { setUniformValue(uniform); });
    }
    ImGui::PopID();
}

void shapeSection() {
    if (ImGui::RadioButton("sphere (1)", prim == 0))
        later([] { chooseShape(0); });
    ImGui::SameLine();
    if (ImGui::RadioButton("teapot (2)", prim == 1 || prim == 2))
        later([] { chooseShape(1); });
    if (mesh) {
        ImGui::SameLine();
        if (ImGui::RadioButton("mesh (4)", prim == 3))
            later([] { chooseShape(3); });
    }
    // The reason the last load failed; the mesh shown before stays.
    static std::string file, error;
    if (fileField("##mesh file", "a mesh file (OBJ, PLY, STL ...)", "Load", file))
        later([path = fromStartFolder(file)] {
            try {
                loadMesh(path);
                chooseShape(3);
                error.clear();
            } catch (const std::exception& e) {
                error = e.what();
            }
        });
    if (!error.empty())
        warningText(error);
    bool lines = wire;
    if (ImGui::Checkbox("wireframe (f)", &lines))
        later([lines] { wire = lines; });
    if (prim == 0) {
        int slices = detail;
        ImGui::SetNextItemWidth(kFieldWidth);
        if (ImGui::SliderInt("detail", &slices, 3, kMaxDetail, "%d",
                             ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp))
            later([slices] { detail = slices; });
    }
}

void viewSection() {
    Camera* camera = Camera::getInstance();
    float distance = camera->getSphereLocation()[0];
    ImGui::SetNextItemWidth(kFieldWidth);
    if (ImGui::SliderFloat("eye distance", &distance, 1.0f, 999.0f, "%.2f",
                           ImGuiSliderFlags_Logarithmic | ImGuiSliderFlags_AlwaysClamp))
        later([camera, distance] { camera->setDistance(distance); });
    if (ImGui::Button("Reset the view"))
        later([camera] { camera->reset(); });
    ImGui::SameLine();
    if (ImGui::Button("Save the view (s)"))
        later(requestSnapshot);
    if (ImGui::Button("Export the shape (x)"))
        later(exportShapeToFolder);
    const float rate = ImGui::GetIO().Framerate;
    ImGui::Text("%.1f ms a frame, %.0f a second", 1000.0f / rate, rate);
    if (const SaveNote* note = recentSaveNote())
        note->failed ? warningText(note->text) : ImGui::TextWrapped("%s", note->text.c_str());
}

void keysSection() {
    static const char* const kKeys[][2] = {
        {"e t r m", "Euclidean, city-block, Riemannian, Minkowski"},
        {"u", "your metric file"},
        {"+  -", "p a step up, down"},
        {"a", "sweep p"},
        {"1 2 4", "sphere, teapot, mesh"},
        {"f", "wireframe"},
        {"h", "status line"},
        {"s", "save the view"},
        {"x", "export the shape"},
        {"Tab", "this panel"},
        {"q  Esc", "quit"},
        {"right drag", "orbit"},
        {"middle drag", "zoom"},
    };
    for (const auto& [key, what] : kKeys) {
        ImGui::TextUnformatted(key);
        ImGui::SameLine(90.0f);
        ImGui::TextUnformatted(what);
    }
}
