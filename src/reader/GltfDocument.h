#pragma once

#include <simdjson.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Why a glTF file cannot be read, as one line naming what is wrong.
struct GltfError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A glTF file of another version than 2.0, which the model reader takes.
struct GltfForModelReader : GltfError {
    using GltfError::GltfError;
};

// A glTF 2.0 file's JSON with its buffers at hand (the .glb's own chunk,
// data URIs, files beside it), and the decoding of its accessors into flat
// arrays: every component type, normalised integers, strides, sparse
// values and EXT_meshopt_compression's views. Every offset, length, count
// and index is checked against what it points into; what does not hold
// throws GltfError.
class GltfDocument {
public:
    // A .gltf's JSON or a whole .glb; `folder` is where its files lie (none
    // may be read from outside it; empty: no file may be read at all).
    GltfDocument(std::span<const std::uint8_t> file, std::filesystem::path folder);

    simdjson::dom::object root;
    // The files read besides the model file, as absolute paths.
    std::vector<std::string> opened;
    // The folder relative paths start from.
    std::filesystem::path folder;

    // The number of elements of an accessor, and its components per element.
    std::size_t count(std::uint64_t accessor) const;
    int components(std::uint64_t accessor) const;
    // Its elements as floats, `components` of each (a narrower accessor is
    // padded with 0, or 1 for the fourth); normalised integers become 0 to 1 or -1 to 1.
    std::vector<float> floats(std::uint64_t accessor, int components);
    // Its elements as unsigned integers, `components` of each.
    std::vector<std::uint32_t> integers(std::uint64_t accessor, int components);
    // Every buffer's bytes at hand (but a compressed view's stand-in, which has none).
    void loadBuffers();
    // The bytes of a buffer view, decoded first when compressed.
    std::span<const std::uint8_t> view(std::uint64_t index);
    // A URI's bytes: a data URI's decoded, or the file's beside the model.
    std::vector<std::uint8_t> uriBytes(std::string_view uri);
    // A URI as a path to a file (percent escapes decoded), checked to lie
    // within the folder.
    std::filesystem::path filePath(std::string_view uri) const;

    // The root's array `kind` (accessors, nodes, ...), read once; none when missing.
    const std::vector<simdjson::dom::element>& items(std::string_view kind) const;
    // Its element `index`, which must be an object.
    simdjson::dom::object item(std::string_view kind, std::uint64_t index) const;

private:
    std::span<const std::uint8_t> buffer(std::uint64_t index);
    // Reads the elements of `accessor` through `take(element, component,
    // bytes, type, normalised)`, or all at once through `whole(bytes, count,
    // type, components, normalised)` where it returns true (packed elements
    // of every component wanted), then its sparse values through `take`.
    template <typename Take, typename Whole>
    void read(std::uint64_t accessor, int components, Take take, Whole whole);

    simdjson::dom::parser parser;
    simdjson::padded_string json;
    std::vector<std::uint8_t> glbChunk;
    bool hasGlbChunk = false;
    std::vector<std::optional<std::vector<std::uint8_t>>> buffers;
    std::vector<std::optional<std::vector<std::uint8_t>>> decodedViews;
    // The root's arrays as items() first read them: looking one element up
    // is then no walk through the array.
    mutable std::map<std::string, std::vector<simdjson::dom::element>, std::less<>> arrays;
};

// A whole file's bytes, in one read; nothing when it cannot be read.
std::optional<std::vector<std::uint8_t>> fileBytes(const std::filesystem::path& path);

// Reading the JSON: a missing member is nothing (or the fallback); one of
// the wrong type throws GltfError naming it.
namespace gltf {
std::optional<simdjson::dom::element> member(simdjson::dom::object object, std::string_view key);
simdjson::dom::object object(simdjson::dom::element element, std::string_view what);
// An array member's elements; none when it is missing.
std::vector<simdjson::dom::element> elements(simdjson::dom::object object, std::string_view key);
std::optional<std::uint64_t> index(simdjson::dom::object object, std::string_view key);
double number(simdjson::dom::object object, std::string_view key, double fallback);
std::string text(simdjson::dom::object object, std::string_view key);
bool flag(simdjson::dom::object object, std::string_view key);
// `n` numbers, or `fallback` when the member is missing.
std::vector<float> numbers(simdjson::dom::object object, std::string_view key, std::vector<float> fallback);
// The member `key`, which must be there and be an object (`what` names it in the error).
simdjson::dom::object child(simdjson::dom::object object, std::string_view key, const std::string& what);
// The member `name` of `extensions`, when present.
std::optional<simdjson::dom::object> extension(simdjson::dom::object object, std::string_view name);
}  // namespace gltf

}  // namespace qm
