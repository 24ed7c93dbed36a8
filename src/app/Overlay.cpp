#include "Overlay.h"

#include <imgui.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

#include "Controls.h"
#include "ModelMotion.h"
#include "OverlayDrawing.h"
#include "Scene.h"

namespace qm {

namespace {

using Panels = std::vector<std::array<float, 4>>;

// The window being laid out, as its corners.
void addPanel(Panels& panels)
{
    const ImVec2 at = ImGui::GetWindowPos();
    const ImVec2 size = ImGui::GetWindowSize();
    panels.push_back({at.x, at.y, at.x + size.x, at.y + size.y});
}

// Missing pictures named on the panel, at most; the console has them all.
constexpr std::size_t namedMissing = 4;

std::string texturesLine(const TextureTally& textures)
{
    std::string line = std::to_string(textures.files.size()) + " textures";
    if (textures.largest > 0)
        line += ", the largest " + std::to_string(textures.largest) + " texels across";
    if (textures.missing.empty())
        return line;
    line += "; " + std::to_string(textures.missing.size()) + " missing: ";
    for (std::size_t i = 0; i < std::min(textures.missing.size(), namedMissing); ++i)
        line += (i ? ", " : "") + std::filesystem::path(textures.missing[i]).filename().string();
    return line + (textures.missing.size() > namedMissing ? ", ..." : "");
}

// The clip playing, its time and its bar, along the bottom of the picture.
void timeline(ModelMotion& motion, Panels& panels)
{
    const AnimationClip& clip = motion.clips[*motion.clip()];
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    ImGui::SetNextWindowPos(ImVec2(16.0f, display.y - 16.0f), ImGuiCond_Always, ImVec2(0.0f, 1.0f));
    ImGui::SetNextWindowSize(ImVec2(display.x - 32.0f, 0.0f));
    ImGui::SetNextWindowBgAlpha(0.8f);
    ImGui::Begin("Timeline", nullptr,
                 ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                     ImGuiWindowFlags_NoScrollbar);
    if (ImGui::Button(motion.paused ? "Play" : "Pause"))
        motion.paused = !motion.paused;
    ImGui::SameLine();
    ImGui::TextUnformatted(clip.name.empty() ? "(unnamed clip)" : clip.name.c_str());
    ImGui::SameLine();
    float time = motion.time();
    char label[64];
    std::snprintf(label, sizeof label, "%.2f s of %.2f s", double(time), double(clip.duration));
    ImGui::SetNextItemWidth(-1.0f);
    ImGui::SliderFloat("##time", &time, 0.0f, clip.duration, label);
    // Held on the bar, the pose stays where it points, moving or not.
    if (ImGui::IsItemActive())
        motion.setTime(time);
    addPanel(panels);
    ImGui::End();
}

// What the overlay has to show this frame.
struct Shown {
    bool help = false;
    bool flying = false;
    const ModelSummary* model = nullptr;
    ModelMotion* motion = nullptr;
    const Guides* grid = nullptr;
};

// A card of lines, at a corner: its position, and the window's corner that
// goes there. A title after "##" is not shown.
void card(const char* title, const std::vector<std::string>& lines, ImVec2 at, ImVec2 pivot, Panels& panels)
{
    ImGui::SetNextWindowPos(at, ImGuiCond_Always, pivot);
    ImGui::SetNextWindowBgAlpha(0.8f);
    ImGui::Begin(title, nullptr,
                 ImGuiWindowFlags_AlwaysAutoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                     ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                     (title[0] == '#' ? ImGuiWindowFlags_NoTitleBar : 0));
    for (const std::string& line : lines)
        ImGui::TextUnformatted(line.c_str());
    addPanel(panels);
    ImGui::End();
}

// One frame's panels.
void layOut(const Shown& shown, float seconds, std::optional<float> gpuSeconds, Panels& panels)
{
    panels.clear();
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    if (shown.help)
        card(shown.flying ? "Keys: flying" : "Keys: inspecting the model", controlLines(shown.flying),
             ImVec2(16.0f, 16.0f), ImVec2(0.0f, 0.0f), panels);
    if (shown.model)
        card("The model", infoLines(*shown.model, seconds, gpuSeconds, residentMemory()),
             ImVec2(display.x - 16.0f, 16.0f), ImVec2(1.0f, 0.0f), panels);
    if (shown.motion)
        timeline(*shown.motion, panels);
    if (shown.grid) {
        char spacing[64];
        std::snprintf(spacing, sizeof spacing, "Grid lines %g m apart", double(gridSpacing(shown.grid->model)));
        // Above the timeline, when there is one.
        card("##grid", {spacing}, ImVec2(display.x - 16.0f, display.y - (shown.motion ? 64.0f : 16.0f)),
             ImVec2(1.0f, 1.0f), panels);
    }
}

}  // namespace

std::vector<std::string> infoLines(const ModelSummary& model, float frameSeconds, std::optional<float> gpuSeconds,
                                   std::uint64_t memoryBytes)
{
    const auto number = [](std::size_t n) { return std::to_string(n); };
    std::string format = std::filesystem::path(model.file).extension().string();
    std::transform(format.begin(), format.end(), format.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    char frame[128];
    char gpu[48] = "";
    if (gpuSeconds)
        std::snprintf(gpu, sizeof gpu, " (%.1f ms on the GPU)", double(*gpuSeconds) * 1000.0);
    std::snprintf(frame, sizeof frame, "Frame: %.1f ms%s, %.0f frames a second", double(frameSeconds) * 1000.0, gpu,
                  frameSeconds > 0.0f ? 1.0 / double(frameSeconds) : 0.0);
    return {
        std::filesystem::path(model.file).filename().string() + (format.empty() ? "" : " (" + format.substr(1) + ")") +
            (model.fromCache ? ", from the cache" : ""),
        number(model.meshes) + " meshes: " + number(model.triangles) + " triangles, " + number(model.lines) +
            " lines, " + number(model.points) + " points",
        number(model.materials) + " materials, " + number(model.physicallyBased) + " physically based; " +
            number(model.embeddedPictures) + " pictures inside the file",
        texturesLine(model.textures),
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

bool Overlay::over(int x, int y) const
{
    return std::any_of(panels.begin(), panels.end(), [&](const std::array<float, 4>& p) {
        return float(x) >= p[0] && float(y) >= p[1] && float(x) < p[2] && float(y) < p[3];
    });
}

bool Overlay::take(const SDL_Event& event)
{
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    switch (event.type) {
    case SDL_MOUSEMOTION:
        io.MousePos = ImVec2(float(event.motion.x), float(event.motion.y));
        return holding;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const int button = event.button.button == SDL_BUTTON_LEFT    ? 0
                           : event.button.button == SDL_BUTTON_RIGHT ? 1
                           : event.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                      : -1;
        io.MousePos = ImVec2(float(event.button.x), float(event.button.y));
        if (button < 0)
            return false;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        io.MouseDown[button] = down;
        if (down) {
            pressed[button] = true;
            holding = holding || over(event.button.x, event.button.y);
            return holding;
        }
        return std::exchange(holding, false);
    }
    case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        if (!over(x, y))
            return false;
        io.MouseWheel += float(event.wheel.y);
        return true;
    }
    default:
        return false;
    }
}

void Overlay::draw(float seconds, std::optional<float> gpuSeconds, bool flying, Scene* scene)
{
    const Shown shown{helpShown, flying,
                      infoShown && scene && scene->summary ? &*scene->summary : nullptr,
                      scene && scene->motion && scene->motion->clip() ? scene->motion.get() : nullptr,
                      scene && scene->guides && scene->guides->grid ? &*scene->guides : nullptr};
    if (!shown.help && !shown.model && !shown.motion && !shown.grid) {
        panels.clear();
        return;
    }
    ImGui::SetCurrentContext(context);
    ImGuiIO& io = ImGui::GetIO();
    io.DeltaTime = seconds > 0.0f ? seconds : 1.0f / 60.0f;
    for (int button = 0; button < 3; ++button)
        io.MouseDown[button] = io.MouseDown[button] || std::exchange(pressed[button], false);
    drawing->newFrame();
    // Panels that fit their lines take their size in their first frame and
    // show from the next: the very first is laid out unseen, so that a
    // single frame (a screenshot's) has them.
    for (int pass = ImGui::GetFrameCount() == 0 ? 0 : 1; pass < 2; ++pass) {
        ImGui::NewFrame();
        layOut(shown, seconds, gpuSeconds, panels);
        if (pass == 0)
            ImGui::EndFrame();
    }
    ImGui::Render();
    drawing->draw(ImGui::GetDrawData());
}

}  // namespace qm
