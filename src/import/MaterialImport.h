#pragma once

#include <memory>

#include "Material.h"
#include "SceneData.h"

namespace qm {

struct ImportContext;

// A model file's materials as the viewer draws them: the program the table
// names, else (under the policy's default programs) a classic program by
// the maps the material has, or the physically based one for physically
// based and blended materials. Each is made once per build, by index.

// The material of a mesh's triangles, created on its first use; empty
// (reported) when the table assigns it no loaded program and the policy
// gives no default.
std::shared_ptr<Material> materialFor(ImportContext& context, const SceneData& modelScene, unsigned index);

// The unlit material a mesh's points and lines are drawn with, and the
// triangles of a material the file marks unlit.
std::shared_ptr<Material> unlitMaterialFor(ImportContext& context, const SceneData& modelScene, unsigned index);

// A file material's further glTF layers, each factor within its range
// (a factor that is not a number counts as absent).
SurfaceLayers surfaceLayers(const SceneMaterial& material);

}  // namespace qm
