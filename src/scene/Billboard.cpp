#include "Billboard.h"

namespace qm {

std::shared_ptr<Mesh> createBillboard(GraphicsResources& resources, const ImageFile& picture,
                                      std::shared_ptr<Shader> program, float width, float height)
{
    if (!picture)
        return nullptr;
    // The size also travels in every vertex's normal and texture coordinates.
    const glm::vec3 size(width, height, 0.0f);
    const std::vector<Vertex> vertices = {{{0, 0, 0}, size, {width, height}},
                                          {{0, 3, 0}, size, {width, height}},
                                          {{1, 0, 0}, size, {width, height}}};
    auto material = std::make_shared<Material>();
    material->ambient = glm::vec3(0.2f);
    material->shininess = 32.0f;
    material->shader = std::move(program);
    material->textures.push_back(
        resources.texture(TextureKind::Diffuse, picture.width, picture.height, picture.pixels.get()));
    auto mesh = std::make_shared<Mesh>(vertices, std::vector<std::uint32_t>{0, 1, 2}, material);
    mesh->billboardSize = {width, height};
    return mesh;
}

}  // namespace qm
