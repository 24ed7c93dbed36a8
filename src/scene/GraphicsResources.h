#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "CubeFaces.h"
#include "EnvironmentLight.h"
#include "TextureKind.h"

namespace qm {

class Mesh;
struct Environment;
struct GpuMesh;
struct Shader;
struct Skybox;
struct Texture;

// What the import needs made on the graphics side: programs, textures, the
// sky and the meshes' GPU copies. The renderer implements it; the scene only
// holds what it hands out, as opaque shared objects, and never looks inside.
class GraphicsResources {
public:
    virtual ~GraphicsResources() = default;

    // The program from "<name>.vert" and "<name>.frag", and "<name>.geom"
    // for three stages; one that fails to build is reported and still returned.
    virtual std::shared_ptr<Shader> program(const std::string& name, bool geometryStage = false) = 0;
    // The same two-stage program with its vertex stage moving the vertices
    // of a deforming mesh (see MeshDeformation.h): the deformation's work
    // is left out of the programs rigid meshes are drawn with.
    virtual std::shared_ptr<Shader> deformingProgram(const std::string& name) = 0;
    // A mipmapped, repeating texture of 8-bit RGBA pixels, top row first.
    virtual std::shared_ptr<Texture> texture(TextureKind kind, int width, int height, const std::uint8_t* pixels) = 0;
    // The sky box drawn with `program`.
    virtual std::shared_ptr<Skybox> sky(const CubeFaces& faces, std::shared_ptr<Shader> program) = 0;
    // The environment physically based surfaces reflect.
    virtual std::shared_ptr<Environment> environment(const EnvironmentImage& image) = 0;
    // A mesh's vertices and indices, wired to its material's program.
    virtual std::shared_ptr<GpuMesh> mesh(const Mesh& mesh) = 0;
    // A level of a deforming mesh, which keeps its original's vertices: only
    // its indices are uploaded; its vertices, bones and morph targets are
    // read from `original`'s buffers.
    virtual std::shared_ptr<GpuMesh> level(const Mesh& level, std::shared_ptr<const GpuMesh> original) = 0;
    // A light volume's positions and indices, with one instance per placement.
    virtual std::shared_ptr<GpuMesh> lightVolume(const Mesh& volume) = 0;
};

// Makes nothing and hands out empty handles: for building a scene's CPU
// side alone, where nothing is drawn (benchmarks, tests without a context).
class NoGraphics : public GraphicsResources {
public:
    std::shared_ptr<Shader> program(const std::string&, bool) override { return nullptr; }
    std::shared_ptr<Shader> deformingProgram(const std::string&) override { return nullptr; }
    std::shared_ptr<Texture> texture(TextureKind, int, int, const std::uint8_t*) override { return nullptr; }
    std::shared_ptr<Skybox> sky(const CubeFaces&, std::shared_ptr<Shader>) override { return nullptr; }
    std::shared_ptr<Environment> environment(const EnvironmentImage&) override { return nullptr; }
    std::shared_ptr<GpuMesh> mesh(const Mesh&) override { return nullptr; }
    std::shared_ptr<GpuMesh> level(const Mesh&, std::shared_ptr<const GpuMesh>) override { return nullptr; }
    std::shared_ptr<GpuMesh> lightVolume(const Mesh&) override { return nullptr; }
};

}  // namespace qm
