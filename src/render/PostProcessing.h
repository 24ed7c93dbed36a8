#pragma once

#include <memory>

#include "ScreenQuad.h"
#include "Shader.h"

namespace qm {

// The programs after lighting (bright pass, blur, HDR merge, depth of field),
// their full-screen quad and the blur direction, flipped after every blur.
class PostProcessing {
public:
    PostProcessing();

    void brightPass();
    // One blur draw of the texture on unit 0, then the direction flips.
    void blurPass();
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
    bool horizontal = false;
};

// The focus depth the depth-of-field program receives.
float effectiveFocusDepth(float focusDepth, float maxDepth);

}  // namespace qm
