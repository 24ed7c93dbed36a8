#include "OverlayDrawing.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

namespace qm {

OverlayDrawing::OverlayDrawing()
{
    ImGui_ImplOpenGL3_Init("#version 150");
}

OverlayDrawing::~OverlayDrawing()
{
    ImGui_ImplOpenGL3_Shutdown();
}

void OverlayDrawing::newFrame()
{
    ImGui_ImplOpenGL3_NewFrame();
}

void OverlayDrawing::draw(ImDrawData* lists)
{
    ImGui_ImplOpenGL3_RenderDrawData(lists);
}

}  // namespace qm
