#pragma once

#include <cstdint>
#include <filesystem>
#include <span>

#include "SceneData.h"

namespace qm {

// Reads a glTF 2.0 file, a .gltf's JSON or a whole .glb, into scene data
// the way the other reader's conversion does (SceneConversion.h), and
// further: every primitive mode, both texture coordinate sets, normalised
// and quantised attributes (KHR_mesh_quantization), sparse accessors,
// EXT_meshopt_compression, KHR_draco_mesh_compression, skins with more than four weights a vertex (the
// four heaviest kept), morph targets (set at the file's own weights for a
// node no clip morphs), each picture's KHR_texture_transform,
// KHR_materials_emissive_strength, KHR_materials_unlit,
// KHR_materials_variants, EXT_texture_webp, KHR_lights_punctual and the
// cameras,
// and animations as the file interpolates them (steps held, cubic splines
// through their tangents, both laid out as keys the viewer joins linearly).
// `folder` is where the files it names lie; it reads none from elsewhere
// (empty: none at all). An extension the file requires and the reader
// does not take is named in `SceneData::notes` with what was left out.
// Throws GltfError with the reason a file cannot be read, GltfForModelReader
// for a glTF of another version, which the model reader takes.
SceneData readGltf(std::span<const std::uint8_t> file, const std::filesystem::path& folder);

// The same for a file on disk, its folder being where its files lie;
// GltfError too when it cannot be opened.
SceneData readGltfFile(const std::filesystem::path& path);

}  // namespace qm
