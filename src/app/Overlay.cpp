#include "Overlay.h"

#include <imgui.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

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
                             "F12 - save the view as a picture", "I - the model's numbers", "F1 or ? - this card",
                             "Escape - quit"})
        lines.emplace_back(line);
    return lines;
}

std::vector<std::string> infoLines(const ModelSummary& model, float frameSeconds, std::uint64_t memoryBytes)
{
    const auto number = [](std::size_t n) { return std::to_string(n); };
    std::string format = std::filesystem::path(model.file).extension().string();
    std::transform(format.begin(), format.end(), format.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    char frame[96];
    std::snprintf(frame, sizeof frame, "Frame: %.1f ms, %.0f frames a second", double(frameSeconds) * 1000.0,
                  frameSeconds > 0.0f ? 1.0 / double(frameSeconds) : 0.0);
    return {
        std::filesystem::path(model.file).filename().string() + (format.empty() ? "" : " (" + format.substr(1) + ")") +
            (model.fromCache ? ", from the cache" : ""),
        number(model.meshes) + " meshes: " + number(model.triangles) + " triangles, " + number(model.lines) +
            " lines, " + number(model.points) + " points",
        number(model.materials) + " materials, " + number(model.physicallyBased) + " physically based; " +
            number(model.embeddedPictures) + " pictures inside the file",
        number(model.lights) + " lights, " + number(model.clips) + " animations",
        "Levels of detail for " + number(model.levelChains) + " meshes",
        model.units,
        frame,
        "Memory: " + (memoryBytes ? number(std::size_t(memoryBytes >> 20)) + " MiB" : std::string("unknown")),
    };
}

std::uint64_t residentMemory()
{
    std::ifstream statm("/proc/self/statm");
    std::uint64_t size = 0, resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    return resident * std::uint64_t(sysconf(_SC_PAGESIZE));
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

void Overlay::draw(float seconds, bool flying, const ModelSummary* model)
{
    if (!helpShown && !(infoShown && model))
        return;
    ImGui::SetCurrentContext(context);
    ImGui::GetIO().DeltaTime = seconds > 0.0f ? seconds : 1.0f / 60.0f;
    drawing->newFrame();
    ImGui::NewFrame();
    // A card of lines, at a corner: its position, and the window's corner that goes there.
    const auto card = [](const char* title, const std::vector<std::string>& lines, ImVec2 at, ImVec2 pivot) {
        ImGui::SetNextWindowPos(at, ImGuiCond_Always, pivot);
        ImGui::SetNextWindowBgAlpha(0.8f);
        ImGui::Begin(title, nullptr,
                     ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                         ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing);
        for (const std::string& line : lines)
            ImGui::TextUnformatted(line.c_str());
        ImGui::End();
    };
    if (helpShown)
        card(flying ? "Keys: flying" : "Keys: inspecting the model", helpLines(flying), ImVec2(16.0f, 16.0f),
             ImVec2(0.0f, 0.0f));
    if (infoShown && model)
        card("The model", infoLines(*model, seconds, residentMemory()),
             ImVec2(ImGui::GetIO().DisplaySize.x - 16.0f, 16.0f), ImVec2(1.0f, 0.0f));
    ImGui::Render();
    drawing->draw(ImGui::GetDrawData());
}

}  // namespace qm
