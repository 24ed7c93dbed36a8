#include "FbxBinary.h"

#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace scenegen::fbx {

namespace {

constexpr std::uint32_t version = 7400;
constexpr std::size_t emptyRecordSize = 13;  // three u32 offsets and a zero name length
constexpr std::size_t compressAbove = 256;   // bytes; small arrays are not worth the zlib header

class Writer {
public:
    std::vector<std::uint8_t> bytes;

    template <typename T>
    void put(T value)
    {
        std::uint8_t raw[sizeof(T)];
        std::memcpy(raw, &value, sizeof(T));  // the format is little-endian, as is x86
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
    }

    void putBytes(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + size);
    }

    template <typename T>
    void putArray(char code, const std::vector<T>& values)
    {
        bytes.push_back(std::uint8_t(code));
        const std::size_t rawSize = values.size() * sizeof(T);
        put(std::uint32_t(values.size()));
        if (rawSize <= compressAbove) {
            put(std::uint32_t(0));
            put(std::uint32_t(rawSize));
            putBytes(values.data(), rawSize);
            return;
        }
        uLongf packedSize = compressBound(uLong(rawSize));
        std::vector<std::uint8_t> packed(packedSize);
        if (compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(values.data()), uLong(rawSize),
                      Z_BEST_COMPRESSION) != Z_OK)
            throw std::runtime_error("zlib could not compress an FBX array");
        put(std::uint32_t(1));
        put(std::uint32_t(packedSize));
        putBytes(packed.data(), packedSize);
    }

    void putProperty(const Property& property)
    {
        std::visit(
            [this](const auto& v) {
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::int16_t>) {
                    bytes.push_back('Y');
                    put(v);
                } else if constexpr (std::is_same_v<T, bool>) {
                    bytes.push_back('C');
                    bytes.push_back(v ? 1 : 0);
                } else if constexpr (std::is_same_v<T, std::int32_t>) {
                    bytes.push_back('I');
                    put(v);
                } else if constexpr (std::is_same_v<T, float>) {
                    bytes.push_back('F');
                    put(v);
                } else if constexpr (std::is_same_v<T, double>) {
                    bytes.push_back('D');
                    put(v);
                } else if constexpr (std::is_same_v<T, std::int64_t>) {
                    bytes.push_back('L');
                    put(v);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    bytes.push_back('S');
                    put(std::uint32_t(v.size()));
                    putBytes(v.data(), v.size());
                } else if constexpr (std::is_same_v<T, std::vector<std::int32_t>>) {
                    putArray('i', v);
                } else {
                    putArray('d', v);
                }
            },
            property);
    }

    // Offsets are absolute, so a record is written with placeholders that are
    // patched once its end is known.
    void putNode(const Node& node)
    {
        if (node.name.size() > 255)
            throw std::runtime_error("FBX record name too long: " + node.name);
        const std::size_t start = bytes.size();
        put(std::uint32_t(0));  // end offset
        put(std::uint32_t(node.properties.size()));
        put(std::uint32_t(0));  // property list length
        bytes.push_back(std::uint8_t(node.name.size()));
        putBytes(node.name.data(), node.name.size());
        const std::size_t propertiesStart = bytes.size();
        for (const Property& property : node.properties)
            putProperty(property);
        patch(start + 8, bytes.size() - propertiesStart);
        if (!node.children.empty()) {
            for (const Node& child : node.children)
                putNode(child);
            bytes.insert(bytes.end(), emptyRecordSize, 0);
        }
        patch(start, bytes.size());
    }

    void patch(std::size_t at, std::size_t value)
    {
        if (value > UINT32_MAX)
            throw std::runtime_error("FBX file larger than 4 GiB");
        const auto v = std::uint32_t(value);
        std::memcpy(&bytes[at], &v, sizeof v);
    }
};

}  // namespace

std::vector<std::uint8_t> encodeBinary(const std::vector<Node>& topLevel)
{
    Writer w;
    static const char magic[] = "Kaydara FBX Binary  ";
    w.putBytes(magic, sizeof magic - 1);
    w.bytes.insert(w.bytes.end(), {0x00, 0x1A, 0x00});
    w.put(version);
    for (const Node& node : topLevel)
        w.putNode(node);
    w.bytes.insert(w.bytes.end(), emptyRecordSize, 0);

    // Footer: an id block, padding to 16 bytes, the version and a fixed tail.
    static const std::uint8_t footerId[16] = {0xfa, 0xbc, 0xab, 0x09, 0xd0, 0xc8, 0xd4, 0x66,
                                              0xb1, 0x76, 0xfb, 0x83, 0x1c, 0xf7, 0x26, 0x7e};
    w.putBytes(footerId, sizeof footerId);
    w.bytes.insert(w.bytes.end(), 4, 0);
    while (w.bytes.size() % 16 != 0)
        w.bytes.push_back(0);
    w.put(version);
    w.bytes.insert(w.bytes.end(), 120, 0);
    static const std::uint8_t tail[16] = {0xf8, 0x5a, 0x8c, 0x6a, 0xde, 0xf5, 0xd9, 0x7e,
                                          0xec, 0xe9, 0x0c, 0xe3, 0x75, 0x8f, 0x29, 0x0b};
    w.putBytes(tail, sizeof tail);
    return std::move(w.bytes);
}

}  // namespace scenegen::fbx
