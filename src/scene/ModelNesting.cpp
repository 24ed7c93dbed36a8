#include "ModelNesting.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm {

namespace {

constexpr std::string_view binarySignature("Kaydara FBX Binary", 18);
constexpr std::size_t binaryHeaderSize = 27;  // signature and padding (23 bytes), then the version

std::uint64_t readLittleEndian(std::string_view file, std::size_t at, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = (value << 8) | std::uint8_t(file[at + i]);
    return value;
}

// Levels of ASCII FBX: braces outside quoted strings and comments.
bool fbxTextNestsDeeperThan(std::string_view text, int bound)
{
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == ';') {  // a comment runs to the line end
            while (i + 1 < text.size() && text[i + 1] != '\n' && text[i + 1] != '\r')
                ++i;
        } else if (c == '{') {
            if (++depth > bound)
                return true;
        } else if (c == '}' && depth > 0) {
            --depth;
        }
    }
    return false;
}

// Levels of JSON: objects and arrays outside strings, whose quotes a
// backslash escapes.
bool jsonNestsDeeperThan(std::string_view text, int bound)
{
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '{' || c == '[') {
            if (++depth > bound)
                return true;
        } else if ((c == '}' || c == ']') && depth > 0) {
            --depth;
        }
    }
    return false;
}

bool textNestsDeeperThan(std::string_view text, int bound)
{
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    const bool json = start != std::string_view::npos && (text[start] == '{' || text[start] == '[');
    return json ? jsonNestsDeeperThan(text, bound) : fbxTextNestsDeeperThan(text, bound);
}

// The text a reader parses ends at its first zero byte.
std::string_view upToZeroByte(std::string_view bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

// A binary glTF file's JSON: the first chunk (version 2: of type "JSON"; version 1: of format 0).
std::string_view glbJson(std::string_view file)
{
    if (file.size() < 20)
        return {};
    const std::uint64_t type = readLittleEndian(file, 16, 4);
    if (type != 0x4E4F534A && type != 0)
        return {};
    return upToZeroByte(file.substr(20, readLittleEndian(file, 12, 4)));
}

// A binary STL file: an 80-byte header, a triangle count, 50 bytes a triangle.
bool isBinaryStl(std::string_view file)
{
    return file.size() >= 84 && file.size() - 84 == 50 * readLittleEndian(file, 80, 4);
}

// Each record: its end offset, property count and property bytes (4 bytes
// each before version 7500, 8 from it), a name length byte and the name, the
// properties, then nested records up to a blank sentinel record before its
// end. An end offset of 0 is a blank record, which ends the top-level list.
bool binaryNestsDeeperThan(std::string_view file, int bound)
{
    if (file.size() < binaryHeaderSize)
        return false;
    const std::size_t offsetSize = readLittleEndian(file, 23, 4) >= 7500 ? 8 : 4;
    const std::size_t headerSize = 3 * offsetSize + 1;
    const std::size_t sentinel = headerSize;
    std::vector<std::uint64_t> openEnds;  // the end offsets of the records whose nested lists are being read
    std::uint64_t at = binaryHeaderSize;
    while (true) {
        const std::uint64_t listEnd = openEnds.empty() ? file.size() : openEnds.back() - sentinel;
        if (at >= listEnd) {
            if (openEnds.empty())
                return false;
            at = openEnds.back();  // past the sentinel
            openEnds.pop_back();
            continue;
        }
        if (at + headerSize > file.size())
            return false;
        const std::uint64_t end = readLittleEndian(file, std::size_t(at), offsetSize);
        if (end == 0) {
            if (openEnds.empty())
                return false;
            at += offsetSize;  // a blank record inside a list is stepped over
            continue;
        }
        const std::uint64_t propertyBytes = readLittleEndian(file, std::size_t(at) + 2 * offsetSize, offsetSize);
        const std::uint8_t nameLength = std::uint8_t(file[std::size_t(at) + 3 * offsetSize]);
        const std::uint64_t nested = at + headerSize + nameLength + propertyBytes;
        if (end > file.size() || end < at + headerSize || propertyBytes > file.size() || nested > end)
            return false;
        if (nested == end) {
            at = end;
            continue;
        }
        if (end - nested < sentinel)
            return false;
        if (int(openEnds.size()) + 1 > bound)
            return true;
        openEnds.push_back(end);
        at = nested;
    }
}

}  // namespace

bool nestsDeeperThan(std::string_view file, int bound)
{
    if (file.substr(0, binarySignature.size()) == binarySignature)
        return binaryNestsDeeperThan(file, bound);
    if (file.substr(0, 4) == "glTF")
        return jsonNestsDeeperThan(glbJson(file), bound);
    if (isBinaryStl(file))
        return false;
    std::string_view text = upToZeroByte(file);
    const std::size_t start = std::min(text.size(), text.find_first_not_of(" \t\r\n"));
    if (text.substr(start, 3) == "ply")  // only the header is text a reader could nest (blank lines may come first)
        text = text.substr(0, text.find("end_header"));
    return textNestsDeeperThan(text, bound);
}

}  // namespace qm
