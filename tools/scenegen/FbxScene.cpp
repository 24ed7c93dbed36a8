#include "FbxScene.h"

#include <glm/gtc/matrix_transform.hpp>

#include <fstream>
#include <iostream>

namespace scenegen {

using fbx::Node;

namespace {

// Object names carry their class after a separator, as FBX readers expect.
std::string objectName(const std::string& name, const char* objectClass)
{
    return name + std::string("\0\1", 2) + objectClass;
}

void addVectorProperty(Node& properties, const char* name, const char* type, const glm::vec3& v)
{
    properties.add("P", std::string(name), std::string(type), std::string(""), std::string("A"), double(v.x),
                   double(v.y), double(v.z));
}

std::vector<double> flatten(const std::vector<glm::vec3>& values)
{
    std::vector<double> out;
    out.reserve(values.size() * 3);
    for (const auto& v : values)
        out.insert(out.end(), {double(v.x), double(v.y), double(v.z)});
    return out;
}

}  // namespace

glm::mat4 FbxScene::Transform::matrix() const
{
    glm::mat4 m = glm::translate(glm::mat4(1.0f), translation);
    m = glm::rotate(m, glm::radians(rotationDegrees.z), {0, 0, 1});
    m = glm::rotate(m, glm::radians(rotationDegrees.y), {0, 1, 0});
    m = glm::rotate(m, glm::radians(rotationDegrees.x), {1, 0, 0});
    return glm::scale(m, scale);
}

FbxScene::Id FbxScene::addGeometry(const std::string& name, const GenMesh& mesh)
{
    const Id id = newId();
    Node& geometry = objects.emplace_back(Node{"Geometry", {id, objectName(name, "Geometry"), std::string("Mesh")}, {}});
    geometry.add("GeometryVersion", std::int32_t(124));
    geometry.add("Vertices", flatten(mesh.positions));
    // Polygon vertex indices: the last index of each polygon is stored as -(index + 1).
    std::vector<std::int32_t> polygonVertices(mesh.indices.begin(), mesh.indices.end());
    for (std::size_t i = 2; i < polygonVertices.size(); i += 3)
        polygonVertices[i] = -polygonVertices[i] - 1;
    geometry.add("PolygonVertexIndex", std::move(polygonVertices));

    Node& normals = geometry.add("LayerElementNormal", std::int32_t(0));
    normals.add("Version", std::int32_t(101));
    normals.add("Name", std::string(""));
    normals.add("MappingInformationType", std::string("ByVertice"));
    normals.add("ReferenceInformationType", std::string("Direct"));
    normals.add("Normals", flatten(mesh.normals));

    Node& uvs = geometry.add("LayerElementUV", std::int32_t(0));
    uvs.add("Version", std::int32_t(101));
    uvs.add("Name", std::string("map1"));
    uvs.add("MappingInformationType", std::string("ByVertice"));
    uvs.add("ReferenceInformationType", std::string("Direct"));
    std::vector<double> uvValues;
    uvValues.reserve(mesh.uvs.size() * 2);
    for (const auto& uv : mesh.uvs)
        uvValues.insert(uvValues.end(), {double(uv.x), double(uv.y)});
    uvs.add("UV", std::move(uvValues));

    Node& materials = geometry.add("LayerElementMaterial", std::int32_t(0));
    materials.add("Version", std::int32_t(101));
    materials.add("Name", std::string(""));
    materials.add("MappingInformationType", std::string("AllSame"));
    materials.add("ReferenceInformationType", std::string("IndexToDirect"));
    materials.add("Materials", std::vector<std::int32_t>{0});

    Node& layer = geometry.add("Layer", std::int32_t(0));
    layer.add("Version", std::int32_t(100));
    for (const char* type : {"LayerElementNormal", "LayerElementUV", "LayerElementMaterial"}) {
        Node& element = layer.add("LayerElement");
        element.add("Type", std::string(type));
        element.add("TypedIndex", std::int32_t(0));
    }
    return id;
}

FbxScene::Id FbxScene::addTexture(const std::string& path)
{
    const Id id = newId();
    const std::string name = std::filesystem::path(path).stem().string();
    Node& texture = objects.emplace_back(Node{"Texture", {id, objectName(name, "Texture"), std::string("")}, {}});
    texture.add("Type", std::string("TextureVideoClip"));
    texture.add("Version", std::int32_t(202));
    texture.add("TextureName", objectName(name, "Texture"));
    texture.add("FileName", path);
    texture.add("RelativeFilename", path);
    return id;
}

FbxScene::Id FbxScene::addMaterial(const std::string& name, const glm::vec3& diffuseColour,
                                   const MaterialTextures& textures)
{
    const Id id = newId();
    Node& material = objects.emplace_back(Node{"Material", {id, objectName(name, "Material"), std::string("")}, {}});
    material.add("Version", std::int32_t(102));
    material.add("ShadingModel", std::string("phong"));
    material.add("MultiLayer", std::int32_t(0));
    Node& properties = material.add("Properties70");
    addVectorProperty(properties, "DiffuseColor", "Color", diffuseColour);
    addVectorProperty(properties, "SpecularColor", "Color", glm::vec3(0.2f));

    if (textures.diffuse.size() == 1) {
        connectProperty(addTexture(textures.diffuse.front()), id, "DiffuseColor");
    } else if (textures.diffuse.size() > 1) {
        // Several textures in one slot travel as the layers of a layered texture.
        const Id layered = newId();
        Node& node =
            objects.emplace_back(Node{"LayeredTexture", {layered, objectName(name + "_layers", "LayeredTexture"),
                                                         std::string("")}, {}});
        node.add("LayeredTexture", std::int32_t(1));
        node.add("BlendModes", std::int32_t(0));  // translucent: layers blend by their alpha
        node.add("Alphas", double(1.0));
        connectProperty(layered, id, "DiffuseColor");
        for (const std::string& path : textures.diffuse)
            connect(addTexture(path), layered);
    }
    if (!textures.specular.empty())
        connectProperty(addTexture(textures.specular), id, "SpecularColor");
    if (!textures.normal.empty())
        connectProperty(addTexture(textures.normal), id, "NormalMap");
    return id;
}

FbxScene::Id FbxScene::addModel(const std::string& name, const char* kind, Id parent, const Transform& transform)
{
    const Id id = newId();
    Node& model = objects.emplace_back(Node{"Model", {id, objectName(name, "Model"), std::string(kind)}, {}});
    model.add("Version", std::int32_t(232));
    Node& properties = model.add("Properties70");
    addVectorProperty(properties, "Lcl Translation", "Lcl Translation", transform.translation);
    addVectorProperty(properties, "Lcl Rotation", "Lcl Rotation", transform.rotationDegrees);
    addVectorProperty(properties, "Lcl Scaling", "Lcl Scaling", transform.scale);
    model.add("Shading", true);
    model.add("Culling", std::string("CullingOff"));
    connect(id, parent);
    return id;
}

FbxScene::Id FbxScene::addMeshNode(const std::string& name, Id parent, const Transform& transform, Id geometry,
                                   Id material)
{
    const Id id = addModel(name, "Mesh", parent, transform);
    connect(geometry, id);
    connect(material, id);
    return id;
}

FbxScene::Id FbxScene::addGroupNode(const std::string& name, Id parent, const Transform& transform)
{
    return addModel(name, "Null", parent, transform);
}

FbxScene::Id FbxScene::addLightNode(const std::string& name, Id parent, const Transform& transform,
                                    const glm::vec3& colour)
{
    const Id model = addModel(name, "Light", parent, transform);
    const Id attribute = newId();
    Node& light =
        objects.emplace_back(Node{"NodeAttribute", {attribute, objectName(name, "NodeAttribute"), std::string("Light")}, {}});
    Node& properties = light.add("Properties70");
    properties.add("P", std::string("LightType"), std::string("enum"), std::string(""), std::string(""),
                   std::int32_t(0));  // point
    addVectorProperty(properties, "Color", "Color", colour);
    properties.add("P", std::string("Intensity"), std::string("Number"), std::string(""), std::string("A"),
                   double(100.0));
    light.add("TypeFlags", std::string("Light"));
    connect(attribute, model);
    return model;
}

void FbxScene::connect(Id child, Id parent)
{
    connections.push_back(Node{"C", {std::string("OO"), child, parent}, {}});
}

void FbxScene::connectProperty(Id child, Id parent, const std::string& property)
{
    connections.push_back(Node{"C", {std::string("OP"), child, parent, property}, {}});
}

std::vector<std::uint8_t> FbxScene::encode() const
{
    std::vector<Node> document;
    Node& header = document.emplace_back(Node{"FBXHeaderExtension", {}, {}});
    header.add("FBXHeaderVersion", std::int32_t(1003));
    header.add("FBXVersion", std::int32_t(7400));
    header.add("Creator", std::string("Quillmoor scenegen"));

    // y up, right-handed, one unit per unit: the viewer uses the values as they stand.
    Node& settings = document.emplace_back(Node{"GlobalSettings", {}, {}});
    settings.add("Version", std::int32_t(1000));
    Node& properties = settings.add("Properties70");
    const auto integer = [&](const char* name, std::int32_t value) {
        properties.add("P", std::string(name), std::string("int"), std::string("Integer"), std::string(""), value);
    };
    integer("UpAxis", 1);
    integer("UpAxisSign", 1);
    integer("FrontAxis", 2);
    integer("FrontAxisSign", 1);
    integer("CoordAxis", 0);
    integer("CoordAxisSign", 1);
    properties.add("P", std::string("UnitScaleFactor"), std::string("double"), std::string("Number"),
                   std::string(""), double(1.0));

    document.push_back(Node{"Objects", {}, objects});
    document.push_back(Node{"Connections", {}, connections});
    return fbx::encodeBinary(document);
}

bool FbxScene::write(const std::filesystem::path& path) const
{
    const std::vector<std::uint8_t> bytes = encode();
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!file) {
        std::cerr << "Cannot write model file " << path.string() << std::endl;
        return false;
    }
    return true;
}

}  // namespace scenegen
