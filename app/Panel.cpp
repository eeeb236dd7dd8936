#include "app/Panel.h"

#include "app/MetricSwitch.h"
#include "app/PanelContext.h"
#include "app/Screenshot.h"
#include "app/Shell.h"
#include "app/UniformSettings.h"
#include "view/Camera.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

namespace {

constexpr float kWidth = 280.0f;                // the panel's width at most, in pixels
constexpr float kFieldWidth = 150.0f;           // a slider's or field's, label aside
const ImVec4 kWarning(1.0f, 0.85f, 0.3f, 1.0f); // the failure box's colour

std::unique_ptr<PanelContext> context;
bool shown = false;
// The panel as drawn in the last frame, in window coordinates.
ImVec2 drawnMin, drawnMax;
// What the controls asked for during this frame, done once it is drawn.
std::vector<std::function<void()>> actions;

void later(std::function<void()> action) {
    afterPanelFrame(std::move(action));
}

// A path typed in the panel; a relative one is read from startFolder.
std::string typedPath(const std::string& text) {
    return text.empty() || text[0] == '/' ? text : startFolder + text;
}

void warning(const std::string& text) {
    ImGui::PushStyleColor(ImGuiCol_Text, kWarning);
    ImGui::TextWrapped("%s", text.c_str());
    ImGui::PopStyleColor();
}

// A one-line text field and its button; true when the button is pressed
// with something typed.
bool fileField(const char* id, const char* hint, const char* button, std::string& text) {
    ImGui::SetNextItemWidth(-ImGui::CalcTextSize(button).x - 3 * ImGui::GetStyle().ItemSpacing.x);
    ImGui::InputTextWithHint(id, hint, &text);
    ImGui::SameLine();
    return ImGui::Button(button) && !text.empty();
}

void metricSection() {
    static const char* const kNames[] = {"Euclidean (e)", "city-block (t)", "Riemannian (r)",
                                         "Minkowski (m)"};
    for (int i = 0; i < 4; ++i) {
        if (i % 2)
            ImGui::SameLine(kWidth / 2);
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
        later([path = typedPath(file)] {
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
    if (ImGui::Button(sweepOn() ? "Stop the sweep (a)" : "Sweep from 1 to ∞ (a)"))
        later(toggleSweep);
    if (p < 1.0f)
        ImGui::TextDisabled("Below 1: a quasi-norm, not convex.");
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
        later([path = typedPath(file)] {
            try {
                loadMesh(path);
                chooseShape(3);
                error.clear();
            } catch (const std::exception& e) {
                error = e.what();
            }
        });
    if (!error.empty())
        warning(error);
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
    const float rate = ImGui::GetIO().Framerate;
    ImGui::Text("%.1f ms a frame, %.0f a second", 1000.0f / rate, rate);
    if (!snapshotNotice().empty())
        ImGui::TextWrapped("%s", snapshotNotice().c_str());
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

void panelWindow() {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    // Height 0: fitted to the contents, at most the window's.
    ImGui::SetNextWindowSize(ImVec2(std::min(kWidth, display.x), 0));
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0), ImVec2(kWidth, display.y));
    ImGui::Begin("Zemlavor", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                     ImGuiWindowFlags_NoSavedSettings);
    drawnMin = ImGui::GetWindowPos();
    drawnMax = ImVec2(drawnMin.x + ImGui::GetWindowWidth(), drawnMin.y + ImGui::GetWindowHeight());
    for (const std::string& line : failureLines())
        warning(line);
    if (!statusLine().empty())
        ImGui::TextUnformatted(statusLine().c_str());
    if (ImGui::CollapsingHeader("Metric", ImGuiTreeNodeFlags_DefaultOpen)) {
        metricSection();
        if (metricIndex() == 3)
            exponentSection();
        uniformSection();
    }
    if (ImGui::CollapsingHeader("Shape", ImGuiTreeNodeFlags_DefaultOpen))
        shapeSection();
    if (ImGui::CollapsingHeader("View", ImGuiTreeNodeFlags_DefaultOpen))
        viewSection();
    if (ImGui::CollapsingHeader("Keys"))
        keysSection();
    ImGui::End();
}

} // namespace

void togglePanel() {
    if (!context)
        context = std::make_unique<PanelContext>();
    shown = !shown;
}

bool panelShown() {
    return shown;
}

void drawPanel() {
    if (!shown)
        return;
    context->frame(panelWindow);
    for (const std::function<void()>& action : std::exchange(actions, {}))
        action();
}

void afterPanelFrame(std::function<void()> action) {
    actions.push_back(std::move(action));
}

bool panelOwnsPoint(int x, int y) {
    return shown && x >= drawnMin.x && x < drawnMax.x && y >= drawnMin.y && y < drawnMax.y;
}

bool panelHasKeyboard() {
    return shown && ImGui::GetIO().WantCaptureKeyboard;
}
