#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "FbxBinary.h"
#include "GenMesh.h"

namespace scenegen {

// Builds an FBX 7.4 document: geometries shared by name, materials with
// texture files, a node tree with translation, rotation (degrees, applied
// about x, then y, then z) and scale, and named point lights.
class FbxScene {
public:
    using Id = std::int64_t;
    static constexpr Id root = 0;

    struct Transform {
        glm::vec3 translation{0.0f};
        glm::vec3 rotationDegrees{0.0f};
        glm::vec3 scale{1.0f};

        // The local matrix this transform stands for: T x Rz x Ry x Rx x S.
        glm::mat4 matrix() const;
    };

    // Texture paths are stored as given, relative to the model file's folder.
    struct MaterialTextures {
        std::vector<std::string> diffuse;  // two or more become a layered texture
        std::string specular;               // empty: none
        std::string normal;                 // empty: none
    };

    Id addGeometry(const std::string& name, const GenMesh& mesh);
    Id addMaterial(const std::string& name, const glm::vec3& diffuseColour, const MaterialTextures& textures);
    // A node that carries a geometry with its material.
    Id addMeshNode(const std::string& name, Id parent, const Transform& transform, Id geometry, Id material);
    // A node that only groups its children.
    Id addGroupNode(const std::string& name, Id parent, const Transform& transform);
    // A point light and the node of the same name that places it.
    Id addLightNode(const std::string& name, Id parent, const Transform& transform, const glm::vec3& colour);

    std::vector<std::uint8_t> encode() const;
    bool write(const std::filesystem::path& path) const;

private:
    Id newId() { return nextId++; }
    Id addModel(const std::string& name, const char* kind, Id parent, const Transform& transform);
    Id addTexture(const std::string& path);
    void connect(Id child, Id parent);
    void connectProperty(Id child, Id parent, const std::string& property);

    Id nextId = 1000000;
    std::vector<fbx::Node> objects;
    std::vector<fbx::Node> connections;
};

}  // namespace scenegen
