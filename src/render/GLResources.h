#pragma once

#include <filesystem>

#include "GraphicsResources.h"

namespace qm {

// The import's graphics side on the current GL context: every object it
// hands out is a GL object owned by what it returns.
class GLResources : public GraphicsResources {
public:
    // Programs are read from `dataRoot`, the runtime data's folder (the
    // working directory when empty).
    explicit GLResources(std::filesystem::path dataRoot = {}) : dataRoot(std::move(dataRoot)) {}

    std::shared_ptr<Shader> program(const std::string& name, bool geometryStage) override;
    std::shared_ptr<Shader> deformingProgram(const std::string& name) override;
    std::shared_ptr<Texture> texture(TextureKind kind, int width, int height, const std::uint8_t* pixels) override;
    std::shared_ptr<Skybox> sky(const CubeFaces& faces, std::shared_ptr<Shader> program) override;
    std::shared_ptr<Environment> environment(const EnvironmentImage& image) override;
    std::shared_ptr<GpuMesh> mesh(const Mesh& mesh) override;
    std::shared_ptr<GpuMesh> level(const Mesh& level, std::shared_ptr<const GpuMesh> original) override;
    std::shared_ptr<GpuMesh> lightVolume(const Mesh& volume) override;

private:
    std::filesystem::path dataRoot;
};

}  // namespace qm
