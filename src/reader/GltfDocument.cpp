#include "GltfDocument.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

namespace qm {

std::optional<std::vector<std::uint8_t>> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(std::size_t(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        return std::nullopt;
    return bytes;
}

namespace gltf {

std::optional<simdjson::dom::element> member(simdjson::dom::object object, std::string_view key)
{
    simdjson::dom::element value;
    if (object[key].get(value) != simdjson::SUCCESS)
        return std::nullopt;
    return value;
}

simdjson::dom::object object(simdjson::dom::element element, std::string_view what)
{
    simdjson::dom::object value;
    if (element.get(value) != simdjson::SUCCESS)
        throw GltfError(std::string(what) + " is not an object");
    return value;
}

std::vector<simdjson::dom::element> elements(simdjson::dom::object object, std::string_view key)
{
    const auto found = member(object, key);
    if (!found)
        return {};
    simdjson::dom::array list;
    if (found->get(list) != simdjson::SUCCESS)
        throw GltfError("\"" + std::string(key) + "\" is not an array");
    return {list.begin(), list.end()};
}

std::optional<std::uint64_t> index(simdjson::dom::object object, std::string_view key)
{
    const auto found = member(object, key);
    if (!found)
        return std::nullopt;
    std::uint64_t value = 0;
    if (found->get(value) != simdjson::SUCCESS)
        throw GltfError("\"" + std::string(key) + "\" is not an index");
    return value;
}

double number(simdjson::dom::object object, std::string_view key, double fallback)
{
    const auto found = member(object, key);
    if (!found)
        return fallback;
    double value = 0.0;
    if (found->get(value) != simdjson::SUCCESS)
        throw GltfError("\"" + std::string(key) + "\" is not a number");
    return value;
}

bool flag(simdjson::dom::object object, std::string_view key)
{
    const auto found = member(object, key);
    bool value = false;
    if (found && found->get(value) != simdjson::SUCCESS)
        throw GltfError("\"" + std::string(key) + "\" is not true or false");
    return value;
}

std::string text(simdjson::dom::object object, std::string_view key)
{
    const auto found = member(object, key);
    if (!found)
        return {};
    std::string_view value;
    if (found->get(value) != simdjson::SUCCESS)
        throw GltfError("\"" + std::string(key) + "\" is not a string");
    return std::string(value);
}

std::vector<float> numbers(simdjson::dom::object object, std::string_view key, std::vector<float> fallback)
{
    if (!member(object, key))
        return fallback;
    std::vector<float> values;
    for (const simdjson::dom::element item : elements(object, key)) {
        double value = 0.0;
        if (item.get(value) != simdjson::SUCCESS)
            throw GltfError("\"" + std::string(key) + "\" holds what is not a number");
        values.push_back(float(value));
    }
    if (!fallback.empty() && values.size() != fallback.size())
        throw GltfError("\"" + std::string(key) + "\" holds " + std::to_string(values.size()) + " numbers, not " +
                        std::to_string(fallback.size()));
    return values;
}

simdjson::dom::object child(simdjson::dom::object object, std::string_view key, const std::string& what)
{
    const auto found = member(object, key);
    if (!found)
        throw GltfError(what + " are missing");
    return gltf::object(*found, what);
}

std::optional<simdjson::dom::object> extension(simdjson::dom::object object, std::string_view name)
{
    const auto extensions = member(object, "extensions");
    if (!extensions)
        return std::nullopt;
    const auto found = member(gltf::object(*extensions, "\"extensions\""), name);
    if (!found)
        return std::nullopt;
    return gltf::object(*found, name);
}

}  // namespace gltf

namespace {

constexpr std::uint32_t glbMagic = 0x46546C67;     // "glTF"
constexpr std::uint32_t jsonChunk = 0x4E4F534A;    // "JSON"
constexpr std::uint32_t binaryChunk = 0x004E4942;  // "BIN\0"
// More than any accessor of a file that fits in memory: a count beyond it is damage.
constexpr std::uint64_t maxAccessorBytes = std::uint64_t(1) << 32;

std::uint32_t word(std::span<const std::uint8_t> bytes, std::size_t at)
{
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

std::string describe(std::string_view kind, std::uint64_t index)
{
    return std::string(kind) + " " + std::to_string(index);
}

// Bytes a component of this type takes; 0 for a type glTF does not have.
int componentSize(std::uint64_t type)
{
    switch (type) {
    case 5120:
    case 5121: return 1;
    case 5122:
    case 5123: return 2;
    case 5125:
    case 5126: return 4;
    default: return 0;
    }
}

int componentsOf(const std::string& type)
{
    static constexpr std::pair<std::string_view, int> types[] = {{"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3}, {"VEC4", 4},
                                                                 {"MAT2", 4},   {"MAT3", 9}, {"MAT4", 16}};
    for (const auto& [name, n] : types)
        if (type == name)
            return n;
    return 0;
}

float toFloat(const std::uint8_t* at, std::uint64_t type, bool normalised)
{
    switch (type) {
    case 5120: {
        const auto v = std::int8_t(*at);
        return normalised ? std::max(float(v) / 127.0f, -1.0f) : float(v);
    }
    case 5121: return normalised ? float(*at) / 255.0f : float(*at);
    case 5122: {
        std::int16_t v = 0;
        std::memcpy(&v, at, 2);
        return normalised ? std::max(float(v) / 32767.0f, -1.0f) : float(v);
    }
    case 5123: {
        std::uint16_t v = 0;
        std::memcpy(&v, at, 2);
        return normalised ? float(v) / 65535.0f : float(v);
    }
    case 5125: {
        std::uint32_t v = 0;
        std::memcpy(&v, at, 4);
        return float(v);
    }
    default: {
        float v = 0.0f;
        std::memcpy(&v, at, 4);
        return v;
    }
    }
}

std::uint32_t toInteger(const std::uint8_t* at, std::uint64_t type)
{
    switch (type) {
    case 5121: return *at;
    case 5123: {
        std::uint16_t v = 0;
        std::memcpy(&v, at, 2);
        return v;
    }
    case 5125: {
        std::uint32_t v = 0;
        std::memcpy(&v, at, 4);
        return v;
    }
    default: throw GltfError("integers are read from unsigned bytes, shorts or ints only");
    }
}

std::string percentDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += char(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::uint8_t> base64Decoded(std::string_view text)
{
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int held = 0;
    for (const char c : text) {
        int value = -1;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '+' || c == '-')
            value = 62;
        else if (c == '/' || c == '_')
            value = 63;
        else if (c == '=')
            break;
        else
            throw GltfError("a data URI holds what is not base64");
        bits = (bits << 6) | std::uint32_t(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            out.push_back(std::uint8_t(bits >> held));
        }
    }
    return out;
}

// The text with every byte that does not belong to a well-formed UTF-8
// sequence replaced by '?'.
std::string validUtf8(std::span<const std::uint8_t> text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::uint8_t lead = text[i];
        const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        bool whole = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; whole && k < length; ++k)
            whole = (text[i + k] & 0xC0) == 0x80;
        if (!whole) {
            out += '?';
            ++i;
            continue;
        }
        out.append(reinterpret_cast<const char*>(text.data() + i), length);
        i += length;
    }
    return out;
}

// Takes packed elements of 4-byte components into `out` in one copy, where
// they are of the type `out` holds and as wide as wanted.
template <typename T>
auto wholeCopy(std::vector<T>& out, std::uint64_t type, int components)
{
    return [&out, type, components](const std::uint8_t* at, std::size_t count, std::uint64_t given, int n, bool) {
        if (given != type || n != components)
            return false;
        if (count > 0)
            std::memcpy(out.data(), at, count * std::size_t(n) * sizeof(T));
        return true;
    };
}

}  // namespace

GltfDocument::GltfDocument(std::span<const std::uint8_t> file, std::filesystem::path folder) : folder(std::move(folder))
{
    std::span<const std::uint8_t> text = file;
    if (file.size() >= 12 && word(file, 0) == glbMagic) {
        if (word(file, 4) != 2)
            throw GltfForModelReader("a binary glTF of version " + std::to_string(word(file, 4)));
        const std::size_t length = std::min<std::size_t>(word(file, 8), file.size());
        if (length < 20 || word(file, 16) != jsonChunk || std::size_t(word(file, 12)) > length - 20)
            throw GltfError("the binary glTF's JSON chunk is missing or cut short");
        text = file.subspan(20, word(file, 12));
        const std::size_t next = 20 + ((std::size_t(word(file, 12)) + 3) & ~std::size_t(3));
        if (next + 8 <= length && word(file, next + 4) == binaryChunk) {
            if (std::size_t(word(file, next)) > length - next - 8)
                throw GltfError("the binary glTF's data chunk is cut short");
            glbChunk.assign(file.begin() + std::ptrdiff_t(next + 8),
                            file.begin() + std::ptrdiff_t(next + 8 + word(file, next)));
            hasGlbChunk = true;
        }
    }
    json = simdjson::padded_string(reinterpret_cast<const char*>(text.data()), text.size());
    simdjson::dom::element parsed;
    auto error = parser.parse(json).get(parsed);
    // Names that a broken writer left in another encoding do not cost the
    // model: its stray bytes read as '?'.
    if (error == simdjson::UTF8_ERROR) {
        json = simdjson::padded_string(validUtf8(text));
        error = parser.parse(json).get(parsed);
    }
    if (error != simdjson::SUCCESS)
        throw GltfError(std::string("the JSON cannot be read: ") + simdjson::error_message(error));
    root = gltf::object(parsed, "the file");
    // glTF 1.0 files (some giving their version as a number) go to the model reader.
    const auto asset = gltf::member(root, "asset");
    const auto version = asset && asset->is_object() ? gltf::member(gltf::object(*asset, "\"asset\""), "version")
                                                     : std::nullopt;
    std::string_view given;
    if (!version || version->get(given) != simdjson::SUCCESS || !given.starts_with("2."))
        throw GltfForModelReader("a glTF file of another version than 2");
    buffers.resize(items("buffers").size());
    decodedViews.resize(items("bufferViews").size());
}

const std::vector<simdjson::dom::element>& GltfDocument::items(std::string_view kind) const
{
    auto found = arrays.find(kind);
    if (found == arrays.end())
        found = arrays.emplace(std::string(kind), gltf::elements(root, kind)).first;
    return found->second;
}

simdjson::dom::object GltfDocument::item(std::string_view kind, std::uint64_t index) const
{
    const std::vector<simdjson::dom::element>& list = items(kind);
    // "accessors" names accessor 3, "bufferViews" buffer view 3.
    const std::string one = kind == "meshes"        ? "mesh"
                            : kind == "bufferViews" ? "buffer view"
                                                    : std::string(kind.substr(0, kind.size() - 1));
    if (index >= list.size())
        throw GltfError("there is no " + describe(one, index));
    return gltf::object(list[index], describe(one, index));
}

std::filesystem::path GltfDocument::filePath(std::string_view uri) const
{
    const std::string decoded = percentDecoded(uri);
    if (folder.empty())
        throw GltfError("\"" + decoded + "\" is a file, and this glTF may name none");
    if (decoded.find("://") != std::string::npos)
        throw GltfError("\"" + decoded + "\" is not a file beside the model");
    const std::filesystem::path base = std::filesystem::weakly_canonical(folder);
    const std::filesystem::path path = std::filesystem::weakly_canonical(base / decoded);
    const std::filesystem::path inside = path.lexically_relative(base);
    if (decoded.empty() || inside.empty() || *inside.begin() == "..")
        throw GltfError("\"" + decoded + "\" lies outside the model's folder");
    return path;
}

std::vector<std::uint8_t> GltfDocument::uriBytes(std::string_view uri)
{
    if (uri.starts_with("data:")) {
        const std::size_t comma = uri.find(',');
        if (comma == std::string_view::npos)
            throw GltfError("a data URI without data");
        const std::string_view header = uri.substr(0, comma);
        const std::string_view payload = uri.substr(comma + 1);
        if (header.ends_with(";base64"))
            return base64Decoded(payload);
        const std::string plain = percentDecoded(payload);
        return {plain.begin(), plain.end()};
    }
    const std::filesystem::path path = filePath(uri);
    std::optional<std::vector<std::uint8_t>> bytes = fileBytes(path);
    if (!bytes)
        throw GltfError("cannot open \"" + path.string() + "\"");
    opened.push_back(path.string());
    return std::move(*bytes);
}

std::span<const std::uint8_t> GltfDocument::buffer(std::uint64_t index)
{
    const simdjson::dom::object object = item("buffers", index);
    if (!buffers[index]) {
        if (const auto uri = gltf::member(object, "uri"))
            buffers[index] = uriBytes(gltf::text(object, "uri"));
        else if (index == 0 && hasGlbChunk)
            buffers[index] = std::move(glbChunk);
        else
            throw GltfError(describe("buffer", index) + " has no data");
    }
    const std::vector<std::uint8_t>& bytes = *buffers[index];
    const auto length = gltf::index(object, "byteLength").value_or(bytes.size());
    if (length > bytes.size())
        throw GltfError(describe("buffer", index) + " holds " + std::to_string(bytes.size()) + " bytes, not " +
                        std::to_string(length));
    return {bytes.data(), std::size_t(length)};
}

void GltfDocument::loadBuffers()
{
    for (std::size_t b = 0; b < buffers.size(); ++b) {
        const auto compressed = gltf::extension(item("buffers", b), "EXT_meshopt_compression");
        if (!(compressed && gltf::flag(*compressed, "fallback")))
            buffer(b);
    }
}

std::span<const std::uint8_t> GltfDocument::view(std::uint64_t index)
{
    const simdjson::dom::object object = item("bufferViews", index);
    const auto compressed = gltf::extension(object, "EXT_meshopt_compression");
    const simdjson::dom::object source = compressed ? *compressed : object;
    const std::span<const std::uint8_t> data = buffer(gltf::index(source, "buffer").value_or(~0ull));
    const std::uint64_t offset = gltf::index(source, "byteOffset").value_or(0);
    const std::uint64_t length = gltf::index(source, "byteLength").value_or(~0ull);
    if (offset > data.size() || length > data.size() - offset)
        throw GltfError(describe("buffer view", index) + " reaches past the end of its buffer");
    const std::span<const std::uint8_t> bytes = data.subspan(offset, length);
    if (!compressed)
        return bytes;
    if (decodedViews[index])
        return *decodedViews[index];
    const std::uint64_t count = gltf::index(source, "count").value_or(0);
    const std::uint64_t stride = gltf::index(source, "byteStride").value_or(0);
    const std::string mode = gltf::text(source, "mode");
    const std::string filter = gltf::text(source, "filter");
    if (stride == 0 || stride > 256 || count > maxAccessorBytes / stride)
        throw GltfError(describe("buffer view", index) + " has a compressed stride or count out of range");
    std::vector<std::uint8_t> out(std::size_t(count * stride));
    int failed = 0;
    if (mode == "ATTRIBUTES")
        failed = stride % 4 != 0 ? 1 : meshopt_decodeVertexBuffer(out.data(), count, stride, bytes.data(), bytes.size());
    else if (mode == "TRIANGLES")
        failed = (stride != 2 && stride != 4) || count % 3 != 0
                     ? 1
                     : meshopt_decodeIndexBuffer(out.data(), count, stride, bytes.data(), bytes.size());
    else if (mode == "INDICES")
        failed = stride != 2 && stride != 4
                     ? 1
                     : meshopt_decodeIndexSequence(out.data(), count, stride, bytes.data(), bytes.size());
    else
        throw GltfError(describe("buffer view", index) + " is compressed in an unknown mode \"" + mode + "\"");
    if (failed != 0)
        throw GltfError(describe("buffer view", index) + "'s compressed data does not decode");
    if (filter == "OCTAHEDRAL" && (stride == 4 || stride == 8))
        meshopt_decodeFilterOct(out.data(), count, stride);
    else if (filter == "QUATERNION" && stride == 8)
        meshopt_decodeFilterQuat(out.data(), count, stride);
    else if (filter == "EXPONENTIAL" && stride % 4 == 0)
        meshopt_decodeFilterExp(out.data(), count, stride);
    else if (!filter.empty() && filter != "NONE")
        throw GltfError(describe("buffer view", index) + " has a filter \"" + filter + "\" that does not fit it");
    decodedViews[index] = std::move(out);
    return *decodedViews[index];
}

std::size_t GltfDocument::count(std::uint64_t accessor) const
{
    return std::size_t(gltf::index(item("accessors", accessor), "count").value_or(0));
}

int GltfDocument::components(std::uint64_t accessor) const
{
    return componentsOf(gltf::text(item("accessors", accessor), "type"));
}

template <typename Take, typename Whole>
void GltfDocument::read(std::uint64_t accessor, int wanted, Take take, Whole whole)
{
    const simdjson::dom::object object = item("accessors", accessor);
    const std::string name = describe("accessor", accessor);
    const std::uint64_t count = gltf::index(object, "count").value_or(0);
    const std::uint64_t type = gltf::index(object, "componentType").value_or(0);
    const int size = componentSize(type);
    const int n = componentsOf(gltf::text(object, "type"));
    if (size == 0 || n == 0)
        throw GltfError(name + " has an unknown type");
    const std::uint64_t elementSize = std::uint64_t(size) * std::uint64_t(n);
    if (count > maxAccessorBytes / elementSize)
        throw GltfError(name + " has too many elements");
    const bool normalised = gltf::flag(object, "normalized");
    const int taken = std::min(n, wanted);
    if (const auto viewIndex = gltf::index(object, "bufferView")) {
        const std::span<const std::uint8_t> bytes = view(*viewIndex);
        const std::uint64_t stride =
            gltf::index(item("bufferViews", *viewIndex), "byteStride").value_or(elementSize);
        const std::uint64_t offset = gltf::index(object, "byteOffset").value_or(0);
        if (count > 0 && (stride < elementSize || offset > bytes.size() || stride > maxAccessorBytes ||
                          (count - 1) * stride + elementSize > bytes.size() - offset))
            throw GltfError(name + " reaches past the end of its buffer view");
        // Packed elements of all the components wanted may go in one copy.
        if (stride != elementSize || taken != wanted ||
            !whole(bytes.data() + offset, std::size_t(count), type, n, normalised))
            for (std::uint64_t e = 0; e < count; ++e)
                for (int c = 0; c < taken; ++c)
                    take(std::size_t(e), c, bytes.data() + offset + e * stride + std::uint64_t(c * size), type,
                         normalised);
    }
    const auto sparse = gltf::member(object, "sparse");
    if (!sparse)
        return;
    const simdjson::dom::object spread = gltf::object(*sparse, name + "'s sparse values");
    const std::uint64_t changed = gltf::index(spread, "count").value_or(0);
    const simdjson::dom::object indices = gltf::child(spread, "indices", name + "'s sparse indices");
    const simdjson::dom::object values = gltf::child(spread, "values", name + "'s sparse values");
    const std::uint64_t indexType = gltf::index(indices, "componentType").value_or(0);
    const int indexSize = componentSize(indexType);
    const std::span<const std::uint8_t> indexBytes = view(gltf::index(indices, "bufferView").value_or(~0ull));
    const std::span<const std::uint8_t> valueBytes = view(gltf::index(values, "bufferView").value_or(~0ull));
    const std::uint64_t indexOffset = gltf::index(indices, "byteOffset").value_or(0);
    const std::uint64_t valueOffset = gltf::index(values, "byteOffset").value_or(0);
    if (indexSize == 0 || indexType == 5120 || indexType == 5122 || changed > count ||
        indexOffset > indexBytes.size() || changed * std::uint64_t(indexSize) > indexBytes.size() - indexOffset ||
        valueOffset > valueBytes.size() || changed * elementSize > valueBytes.size() - valueOffset)
        throw GltfError(name + "'s sparse values reach past their buffer views");
    for (std::uint64_t k = 0; k < changed; ++k) {
        const std::uint32_t e = toInteger(indexBytes.data() + indexOffset + k * std::uint64_t(indexSize), indexType);
        if (e >= count)
            throw GltfError(name + "'s sparse values name element " + std::to_string(e) + " of " +
                            std::to_string(count));
        for (int c = 0; c < taken; ++c)
            take(e, c, valueBytes.data() + valueOffset + k * elementSize + std::uint64_t(c * size), type, normalised);
    }
}

std::vector<float> GltfDocument::floats(std::uint64_t accessor, int components)
{
    const std::size_t n = count(accessor);
    std::vector<float> out(n * std::size_t(components), 0.0f);
    // A colour of three components is opaque.
    if (components == 4 && this->components(accessor) == 3)
        for (std::size_t e = 0; e < n; ++e)
            out[e * 4 + 3] = 1.0f;
    read(
        accessor, components,
        [&](std::size_t e, int c, const std::uint8_t* at, std::uint64_t type, bool normalised) {
            out[e * std::size_t(components) + std::size_t(c)] = toFloat(at, type, normalised);
        },
        wholeCopy(out, 5126, components));
    return out;
}

std::vector<std::uint32_t> GltfDocument::integers(std::uint64_t accessor, int components)
{
    std::vector<std::uint32_t> out(count(accessor) * std::size_t(components), 0);
    read(
        accessor, components,
        [&](std::size_t e, int c, const std::uint8_t* at, std::uint64_t type, bool) {
            out[e * std::size_t(components) + std::size_t(c)] = toInteger(at, type);
        },
        wholeCopy(out, 5125, components));
    return out;
}

}  // namespace qm
