#include "Overlay.h"

#include <imgui.h>

#include "OverlayDrawing.h"

namespace qm {

std::vector<std::string> helpLines(bool flying)
{
    std::vector<std::string> lines;
    if (flying) {
        lines = {"W, A, S, D - walk", "Mouse - look around", "Tab - back to turning the model"};
    } else {
        lines = {"Left drag - turn the model",
                 "Right or middle drag, Shift + left drag - move it",
                 "Wheel - zoom towards the pointer",
                 "Double-click - turn about the point clicked",
                 "Home or H - frame the whole model",
                 "Keypad 1, 3, 7 - from the front, the right, the top",
                 "Keypad 9 - from the other side",
                 "Tab - fly camera"};
    }
    for (const char* line : {"1 and 2 - exposure down and up", "3 and 4 - focus nearer and farther",
                             "Space - pause or play the animation", "[ and ] - previous and next animation",
                             "Page Down and Page Up - next and previous file", "F5 - reload the file",
                             "F12 - save the view as a picture", "F1 or ? - this card", "Escape - quit"})
        lines.emplace_back(line);
    return lines;
}

Overlay::Overlay(int width, int height) : context(ImGui::CreateContext())
{
    ImGuiIO& io = ImGui::GetIO();
    io.DisplaySize = ImVec2(float(width), float(height));
    // Nothing of the overlay is kept between runs.
    io.IniFilename = nullptr;
    ImGui::StyleColorsDark();
    drawing = std::make_unique<OverlayDrawing>();
}

Overlay::~Overlay()
{
    drawing.reset();
    ImGui::DestroyContext(context);
}

void Overlay::draw(float seconds, bool flying)
{
    if (!helpShown)
        return;
    ImGui::SetCurrentContext(context);
    ImGui::GetIO().DeltaTime = seconds > 0.0f ? seconds : 1.0f / 60.0f;
    drawing->newFrame();
    ImGui::NewFrame();
    ImGui::SetNextWindowPos(ImVec2(16.0f, 16.0f));
    ImGui::SetNextWindowBgAlpha(0.8f);
    ImGui::Begin(flying ? "Keys: flying" : "Keys: inspecting the model", nullptr,
                 ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing);
    for (const std::string& line : helpLines(flying))
        ImGui::TextUnformatted(line.c_str());
    ImGui::End();
    ImGui::Render();
    drawing->draw(ImGui::GetDrawData());
}

}  // namespace qm
