#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

// A node tree in the binary FBX 7.4 layout: each record is its name, a list
// of typed properties and nested records.
namespace scenegen::fbx {

using Property = std::variant<std::int16_t, bool, std::int32_t, float, double, std::int64_t, std::string,
                              std::vector<std::int32_t>, std::vector<double>>;

struct Node {
    std::string name;
    std::vector<Property> properties;
    std::vector<Node> children;

    // Appends a child record and returns it, for chained building.
    template <typename... Args>
    Node& add(std::string childName, Args&&... args)
    {
        children.push_back({std::move(childName), {Property(std::forward<Args>(args))...}, {}});
        return children.back();
    }
};

// The whole file: header, the top-level records, the closing empty record
// and footer. Arrays above a few hundred bytes are zlib-compressed.
std::vector<std::uint8_t> encodeBinary(const std::vector<Node>& topLevel);

}  // namespace scenegen::fbx
