#include "GLResources.h"

#include "Environment.h"
#include "GpuMesh.h"
#include "Shader.h"
#include "Skybox.h"
#include "Texture.h"

namespace qm {

std::shared_ptr<Shader> GLResources::program(const std::string& name, bool geometryStage)
{
    return geometryStage ? loadGeometryShader(name, dataRoot) : loadShader(name, "", dataRoot);
}

std::shared_ptr<Shader> GLResources::deformingProgram(const std::string& name)
{
    return loadShader(name, deformingDefine, dataRoot);
}

std::shared_ptr<Texture> GLResources::texture(TextureKind kind, int width, int height, const std::uint8_t* pixels)
{
    return std::make_shared<Texture>(kind, width, height, pixels);
}

std::shared_ptr<Skybox> GLResources::sky(const CubeFaces& faces, std::shared_ptr<Shader> program)
{
    return makeSkybox(faces, std::move(program));
}

std::shared_ptr<Environment> GLResources::environment(const EnvironmentImage& image)
{
    return makeEnvironment(image);
}

std::shared_ptr<GpuMesh> GLResources::mesh(const Mesh& mesh)
{
    return std::make_shared<GpuMesh>(uploadMesh(mesh));
}

std::shared_ptr<GpuMesh> GLResources::level(const Mesh& level, std::shared_ptr<const GpuMesh> original)
{
    return std::make_shared<GpuMesh>(uploadMesh(level, std::move(original)));
}

std::shared_ptr<GpuMesh> GLResources::lightVolume(const Mesh& volume)
{
    return std::make_shared<GpuMesh>(uploadLightVolume(volume));
}

}  // namespace qm
