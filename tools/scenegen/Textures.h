#pragma once

#include <string>
#include <vector>

#include "Image.h"

namespace scenegen {

struct TextureFile {
    std::string path;  // relative to the model's folder, e.g. "textures/heather_d.jpg"
    Image image;
};

// Every material texture of the scene, in a fixed order. The extension of
// `path` says how the caller writes it (".png" or ".jpg").
//
// All of them tile in both directions, except the woodland atlas, whose three
// vertical bands (oak bark, birch bark, foliage) each tile only along v.
// Normal maps follow the OpenGL convention: green points towards the top of
// the image.
std::vector<TextureFile> materialTextures();

}  // namespace scenegen
