#include "app/Panel.h"

#include "app/MetricSwitch.h"
#include "app/PanelContext.h"
#include "app/PanelSections.h"

#include <imgui.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

std::unique_ptr<PanelContext> context;
bool shown = false;
// The panel as drawn in the last frame, in window coordinates.
ImVec2 drawnMin, drawnMax;
// What the controls asked for during this frame, done once it is drawn.
std::vector<std::function<void()>> actions;

void panelWindow() {
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(0, 0));
    // Height 0: fitted to the contents, at most the window's.
    ImGui::SetNextWindowSize(ImVec2(std::min(kPanelWidth, display.x), 0));
    ImGui::SetNextWindowSizeConstraints(ImVec2(0, 0), ImVec2(kPanelWidth, display.y));
    ImGui::Begin("Zemlavor", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoResize |
                     ImGuiWindowFlags_NoSavedSettings);
    drawnMin = ImGui::GetWindowPos();
    drawnMax = ImVec2(drawnMin.x + ImGui::GetWindowWidth(), drawnMin.y + ImGui::GetWindowHeight());
    for (const std::string& line : failureLines())
        warningText(line);
    if (!statusLine().empty())
        ImGui::TextUnformatted(statusLine().c_str());
    if (ImGui::CollapsingHeader("Metric", ImGuiTreeNodeFlags_DefaultOpen)) {
        metricSection();
        if (metricIndex() == 2)
            matrixSection();
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
