#include "ModelOrientation.h"

#include <cmath>
#include <limits>
#include <sstream>

namespace qm {

namespace {

std::optional<double> number(const aiMetadata* metadata, const char* key)
{
    if (!metadata)
        return std::nullopt;
    for (unsigned i = 0; i < metadata->mNumProperties; ++i) {
        if (metadata->mKeys[i] != aiString(key) || !metadata->mValues[i].mData)
            continue;
        const aiMetadataEntry& entry = metadata->mValues[i];
        switch (entry.mType) {
        case AI_INT32: return *static_cast<const std::int32_t*>(entry.mData);
        case AI_FLOAT: return *static_cast<const float*>(entry.mData);
        case AI_DOUBLE: return *static_cast<const double*>(entry.mData);
        default: return std::nullopt;
        }
    }
    return std::nullopt;
}

// One of the file's axis settings as a unit vector: axis index 0 to 2 and
// its sign; nothing for a value out of range.
std::optional<glm::vec3> axis(const aiMetadata* metadata, const char* name, const std::string& sign)
{
    const auto index = number(metadata, name);
    const auto direction = number(metadata, sign.c_str());
    if (!index || *index < 0 || *index > 2 || std::floor(*index) != *index)
        return std::nullopt;
    glm::vec3 v(0.0f);
    v[int(*index)] = direction && *direction < 0 ? -1.0f : 1.0f;
    return v;
}

// The rotation that takes the file's right, up and front axes to +X, +Y and
// +Z; nothing unless they form a right-handed frame.
std::optional<glm::mat3> recordedAxes(const aiMetadata* metadata)
{
    const auto right = axis(metadata, "CoordAxis", "CoordAxisSign");
    const auto up = axis(metadata, "UpAxis", "UpAxisSign");
    const auto front = axis(metadata, "FrontAxis", "FrontAxisSign");
    if (!right || !up || !front || glm::dot(glm::cross(*right, *up), *front) < 0.5f)
        return std::nullopt;
    // Rows are the file's axes: a file vector's viewer coordinates are its projections on them.
    return glm::transpose(glm::mat3(*right, *up, *front));
}

const char* axisName(const glm::vec3& v)
{
    static const char* names[] = {"-Z", "-Y", "-X", "", "+X", "+Y", "+Z"};
    for (int i = 0; i < 3; ++i) {
        if (v[i] != 0.0f)
            return names[3 + (v[i] > 0.0f ? 1 : -1) * (i + 1)];
    }
    return "?";
}

glm::mat4 toGlm(const aiMatrix4x4& m)
{
    return glm::transpose(glm::make_mat4(&m.a1));
}

void growBounds(const aiScene& scene, const aiNode& node, const glm::mat4& parent, glm::vec3& lo, glm::vec3& hi)
{
    const glm::mat4 model = parent * toGlm(node.mTransformation);
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
        if (node.mMeshes[k] >= scene.mNumMeshes)
            continue;
        const aiMesh& mesh = *scene.mMeshes[node.mMeshes[k]];
        for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
            const glm::vec3 p(model * glm::vec4(mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z, 1.0f));
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                continue;
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i)
        growBounds(scene, *node.mChildren[i], model, lo, hi);
}

}  // namespace

BoundingBox modelBounds(const aiScene& scene, const glm::mat4& root)
{
    glm::vec3 lo(std::numeric_limits<float>::max());
    glm::vec3 hi(-std::numeric_limits<float>::max());
    if (scene.mRootNode)
        growBounds(scene, *scene.mRootNode, root, lo, hi);
    if (lo.x > hi.x)
        return {};
    return BoundingBox::fromMinMax(lo, hi);
}

ModelOrientation modelOrientation(const aiScene& scene, std::optional<char> upAxis, std::optional<float> scale)
{
    const aiMetadata* metadata = scene.mMetaData;
    std::ostringstream text;
    text << "Units and axes: ";

    // FBX records centimetres per unit.
    const auto centimetres = number(metadata, "UnitScaleFactor");
    const bool unitRecorded = centimetres && *centimetres > 0.0 && std::isfinite(*centimetres);
    const float metres = scale ? *scale : unitRecorded ? float(*centimetres / 100.0) : 1.0f;
    text << "1 unit = " << metres << " m ("
         << (scale ? "--scale" : unitRecorded ? "recorded in the file" : "none recorded, taken as metres") << "), ";

    glm::mat3 rotation(1.0f);
    const auto recorded = recordedAxes(metadata);
    if (upAxis) {
        // Z up: +Z becomes +Y and +Y goes into the screen.
        if (*upAxis == 'z')
            rotation = glm::mat3(glm::vec3(1, 0, 0), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
        text << "up " << (*upAxis == 'z' ? "+Z" : "+Y") << " (--up)";
    } else if (recorded) {
        rotation = *recorded;
        text << "up " << axisName(glm::transpose(*recorded)[1]) << " (recorded in the file)";
    } else {
        text << "up +Y (none recorded)";
    }
    ModelOrientation result;
    result.transform = glm::mat4(rotation * metres);
    result.description = text.str();
    return result;
}

}  // namespace qm
