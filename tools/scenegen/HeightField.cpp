#include "HeightField.h"

#include <glm/glm.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace scenegen {

namespace fs = std::filesystem;

namespace {

constexpr float spacing = 0.1f;
// Every vertex is grey (every STL triangle's attribute too), in the byte of
// "{": binary data full of braces, which a brace-counting check would take
// for deep nesting.
constexpr std::uint8_t grey = '{';

std::vector<glm::vec3> fieldPositions(int side)
{
    std::vector<glm::vec3> positions;
    positions.reserve(std::size_t(side) * std::size_t(side));
    const float extent = spacing * float(side - 1);
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            const float x = spacing * float(column) - 0.5f * extent;
            const float z = spacing * float(row) - 0.5f * extent;
            const float hills = std::sin(6.0f * x / extent) * std::cos(5.0f * z / extent);
            const float ripples = std::sin(0.9f * x + 0.4f * z) * std::sin(0.7f * z);
            positions.push_back({x, extent * (0.04f * hills + 0.002f * ripples), z});
        }
    }
    return positions;
}

// Two triangles a grid square, counter-clockwise seen from above, row by row.
template <typename Emit>
void forEachTriangle(int side, Emit emit)
{
    for (std::uint32_t row = 0; row + 1 < std::uint32_t(side); ++row) {
        for (std::uint32_t column = 0; column + 1 < std::uint32_t(side); ++column) {
            const std::uint32_t a = row * std::uint32_t(side) + column;
            const std::uint32_t b = a + 1;
            const std::uint32_t c = a + std::uint32_t(side);
            const std::uint32_t d = c + 1;
            emit(a, c, b);
            emit(b, c, d);
        }
    }
}

template <typename T>
void put(std::vector<char>& out, const T& value)
{
    const std::size_t at = out.size();
    out.resize(at + sizeof(T));
    std::memcpy(out.data() + at, &value, sizeof(T));
}

std::vector<char> ply(int side)
{
    const std::vector<glm::vec3> positions = fieldPositions(side);
    const std::size_t triangles = 2 * std::size_t(side - 1) * std::size_t(side - 1);
    const std::string header = "ply\nformat binary_little_endian 1.0\ncomment a generated height field\nelement vertex " +
                               std::to_string(positions.size()) +
                               "\nproperty float x\nproperty float y\nproperty float z"
                               "\nproperty uchar red\nproperty uchar green\nproperty uchar blue\nelement face " +
                               std::to_string(triangles) + "\nproperty list uchar int vertex_indices\nend_header\n";
    std::vector<char> out(header.begin(), header.end());
    out.reserve(out.size() + positions.size() * (sizeof(glm::vec3) + 3) + triangles * 13);
    for (const glm::vec3& p : positions) {
        put(out, p);
        out.insert(out.end(), 3, char(grey));
    }
    forEachTriangle(side, [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        put(out, std::uint8_t(3));
        for (std::uint32_t index : {a, b, c})
            put(out, index);
    });
    return out;
}

std::vector<char> stl(int side)
{
    const std::vector<glm::vec3> positions = fieldPositions(side);
    const std::uint32_t triangles = 2 * std::uint32_t(side - 1) * std::uint32_t(side - 1);
    std::vector<char> out(80, ' ');
    std::memcpy(out.data(), "a generated height field", 24);
    put(out, triangles);
    out.reserve(out.size() + std::size_t(triangles) * 50);
    forEachTriangle(side, [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        put(out, glm::normalize(glm::cross(positions[b] - positions[a], positions[c] - positions[a])));
        for (std::uint32_t index : {a, b, c})
            put(out, positions[index]);
        out.insert(out.end(), 2, char(grey));
    });
    return out;
}

// One mesh of one primitive. The binary chunk holds the colours, the
// positions and the indices, in that order.
std::vector<char> glb(int side)
{
    const std::vector<glm::vec3> positions = fieldPositions(side);
    std::vector<char> binary;
    for (std::size_t v = 0; v < positions.size(); ++v)
        binary.insert(binary.end(), {char(grey), char(grey), char(grey), char(255)});
    const std::size_t colourBytes = binary.size();
    glm::vec3 low(INFINITY), high(-INFINITY);
    for (const glm::vec3& p : positions) {
        put(binary, p);
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    const std::size_t positionBytes = binary.size() - colourBytes;
    std::size_t indices = 0;
    forEachTriangle(side, [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        for (std::uint32_t index : {a, b, c})
            put(binary, index);
        indices += 3;
    });
    const auto vector = [](glm::vec3 v) {
        return "[" + std::to_string(v.x) + "," + std::to_string(v.y) + "," + std::to_string(v.z) + "]";
    };
    const auto view = [](std::size_t offset, std::size_t length) {
        return R"({"buffer":0,"byteOffset":)" + std::to_string(offset) + R"(,"byteLength":)" + std::to_string(length) +
               "}";
    };
    const std::string vertices = std::to_string(positions.size());
    std::string json =
        R"({"asset":{"version":"2.0","generator":"scenegen"},"scene":0,"scenes":[{"nodes":[0]}],)"
        R"("nodes":[{"mesh":0,"name":"Field"}],)"
        R"("meshes":[{"primitives":[{"attributes":{"POSITION":1,"COLOR_0":0},"indices":2}]}],"accessors":[)"
        R"({"bufferView":0,"componentType":5121,"normalized":true,"type":"VEC4","count":)" + vertices + "}," +
        R"({"bufferView":1,"componentType":5126,"type":"VEC3","count":)" + vertices + R"(,"min":)" + vector(low) +
        R"(,"max":)" + vector(high) + "}," +
        R"({"bufferView":2,"componentType":5125,"type":"SCALAR","count":)" + std::to_string(indices) + "}]," +
        R"("bufferViews":[)" + view(0, colourBytes) + "," + view(colourBytes, positionBytes) + "," +
        view(colourBytes + positionBytes, binary.size() - colourBytes - positionBytes) + "]," +
        R"("buffers":[{"byteLength":)" + std::to_string(binary.size()) + "}]}";
    json.resize((json.size() + 3) / 4 * 4, ' ');
    binary.resize((binary.size() + 3) / 4 * 4, '\0');
    std::vector<char> out;
    out.reserve(28 + json.size() + binary.size());
    out.insert(out.end(), {'g', 'l', 'T', 'F'});
    put(out, std::uint32_t(2));
    put(out, std::uint32_t(28 + json.size() + binary.size()));
    put(out, std::uint32_t(json.size()));
    out.insert(out.end(), {'J', 'S', 'O', 'N'});
    out.insert(out.end(), json.begin(), json.end());
    put(out, std::uint32_t(binary.size()));
    out.insert(out.end(), {'B', 'I', 'N', '\0'});
    out.insert(out.end(), binary.begin(), binary.end());
    return out;
}

}  // namespace

bool writeHeightField(const fs::path& file, int side)
{
    const std::string extension = file.extension().string();
    if (side < 2 || (extension != ".ply" && extension != ".stl" && extension != ".glb")) {
        std::cerr << "A height field needs at least 2 vertices a side and a .ply, .stl or .glb file: " << file
                  << std::endl;
        return false;
    }
    const std::vector<char> bytes = extension == ".ply" ? ply(side) : extension == ".stl" ? stl(side) : glb(side);
    std::ofstream out(file, std::ios::binary);
    if (!out.write(bytes.data(), std::streamsize(bytes.size()))) {
        std::cerr << "Could not write " << file << std::endl;
        return false;
    }
    return true;
}

}  // namespace scenegen
