#include "GltfDraco.h"

#include <draco/compression/decode.h>

#include <string>

#include "GltfDocument.h"

namespace qm {

namespace {

const draco::PointAttribute& attribute(const draco::Mesh& mesh, std::uint32_t id)
{
    const draco::PointAttribute* found = mesh.GetAttributeByUniqueId(id);
    if (!found)
        throw GltfError("its Draco data has no attribute " + std::to_string(id));
    return *found;
}

template <typename T>
std::vector<T> values(const draco::Mesh& mesh, std::uint32_t id, int width, T fourth)
{
    const draco::PointAttribute& from = attribute(mesh, id);
    const std::size_t count = mesh.num_points();
    std::vector<T> out(count * std::size_t(width), T(0));
    const int taken = std::min<int>(width, from.num_components());
    std::vector<T> element(std::size_t(std::max<int>(from.num_components(), 1)));
    for (std::size_t p = 0; p < count; ++p) {
        if (!from.ConvertValue<T>(from.mapped_index(draco::PointIndex(std::uint32_t(p))), from.num_components(),
                                  element.data()))
            throw GltfError("its Draco attribute " + std::to_string(id) + " holds values out of range");
        std::copy_n(element.begin(), taken, out.begin() + std::ptrdiff_t(p * std::size_t(width)));
        if (width == 4 && taken == 3)
            out[p * 4 + 3] = fourth;
    }
    return out;
}

}  // namespace

DracoPrimitive::DracoPrimitive(std::span<const std::uint8_t> bytes)
{
    draco::DecoderBuffer buffer;
    buffer.Init(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    draco::Decoder decoder;
    auto decoded = decoder.DecodeMeshFromBuffer(&buffer);
    if (!decoded.ok())
        throw GltfError("its Draco data does not decode (" + decoded.status().error_msg_string() + ")");
    mesh = std::move(decoded).value();
    if (!mesh)
        throw GltfError("its Draco data holds no mesh");
}

DracoPrimitive::~DracoPrimitive() = default;

std::size_t DracoPrimitive::vertexCount() const
{
    return mesh->num_points();
}

std::vector<std::uint32_t> DracoPrimitive::triangles() const
{
    std::vector<std::uint32_t> out;
    out.reserve(std::size_t(mesh->num_faces()) * 3);
    for (draco::FaceIndex f(0); f < mesh->num_faces(); ++f)
        for (int k = 0; k < 3; ++k)
            out.push_back(mesh->face(f)[k].value());
    return out;
}

std::vector<float> DracoPrimitive::floats(std::uint32_t id, int width) const
{
    return values<float>(*mesh, id, width, 1.0f);
}

std::vector<std::uint32_t> DracoPrimitive::integers(std::uint32_t id, int width) const
{
    return values<std::uint32_t>(*mesh, id, width, 0);
}

}  // namespace qm
