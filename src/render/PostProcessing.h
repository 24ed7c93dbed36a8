#pragma once

#include <filesystem>
#include <memory>

#include "ScreenQuad.h"
#include "Shader.h"

namespace qm {

// The programs after lighting (bright pass, blur, HDR merge, depth of field)
// and their full-screen quad.
class PostProcessing {
public:
    // Programs from the runtime data's folder (see loadShader).
    explicit PostProcessing(const std::filesystem::path& dataRoot = {});

    void brightPass();
    // One blur draw of the texture on unit 0 along one axis.
    void blurPass(bool horizontal);
    // The lit image (unit 0) with the bloom (unit 1), tone-mapped; the positions (unit 2) tell where nothing opaque is.
    void mergeHdr(float exposure);
    // The composite of the sharp and blurred images by depth; a focus depth
    // not at least 0.001 below the maximum depth is taken as maximum - 1.
    void depthOfField(float focusDepth, float maxDepth, float distanceScale);

    ScreenQuad quad;
    std::shared_ptr<Shader> thresholdShader;
    std::shared_ptr<Shader> blurShader;
    std::shared_ptr<Shader> mergeShader;
    std::shared_ptr<Shader> dofShader;
};

// The focus depth the depth-of-field program receives.
float effectiveFocusDepth(float focusDepth, float maxDepth);

}  // namespace qm
