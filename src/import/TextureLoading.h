#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "CubeFaces.h"
#include "GraphicsResources.h"
#include "Math.h"
#include "ModelSummary.h"
#include "PictureStore.h"
#include "SceneData.h"
#include "TextureKind.h"

namespace qm {

// Every texture of one slot of a material, as the given kind, in the
// model file's order. A picture the model file carries inside it is decoded
// from there. Other paths are taken
// relative to `directory`, the model's folder, and looked for as findTextureFile says
// (model files often carry the paths of the machine they were made on).
// A texture that cannot be loaded is reported and keeps its place with a
// stand-in: a checker for diffuse, black for specular, flat for normal maps.
// Picture files are decoded through `pictures`. `directory` lies below
// `root` (see ImportContext::file); the reports name files as `directory`
// does, and so does `tally`, which counts each picture met.
std::vector<std::shared_ptr<Texture>> loadMaterialTextures(const SceneData& modelScene, const SceneMaterial& material,
                                                           TextureSlot slot, TextureKind kind,
                                                           const std::string& directory,
                                                           const std::filesystem::path& root,
                                                           GraphicsResources& resources, PictureStore& pictures,
                                                           std::ostream& problems, TextureTally& tally);

// A 1x1 diffuse texture of a material's own colour (linear, 0 to 1), for a
// material that names no picture.
std::shared_ptr<Texture> colourTexture(GraphicsResources& resources, const glm::vec3& colour);

// The six faces "<folder>/<prefix><0..5>.jpg" of a cube map (+x, -x, +y,
// -y, +z, -z). A face that cannot be loaded, or whose size differs from the
// first good face, is reported and left to the plain stand-in of that size.
// `folder` is relative to `root` (the working directory when empty); the
// reports name the faces as `folder` does.
CubeFaces loadCubeFaces(const std::string& folder, const std::string& prefix, std::ostream& problems,
                        const std::filesystem::path& root = {});

}  // namespace qm
