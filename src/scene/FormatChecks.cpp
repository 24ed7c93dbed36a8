#include "FormatChecks.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace qm {

namespace {

// The lines of a text, without their line ends. Like the OBJ and MTL
// readers, a zero byte, a carriage return and a form feed end a line too.
std::vector<std::string_view> lines(std::string_view text)
{
    static constexpr std::string_view ends("\n\r\f\0", 4);
    std::vector<std::string_view> result;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(ends);
        result.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return result;
}

// The line (from 1) of a place in a text.
std::size_t lineAt(std::string_view text, std::size_t at)
{
    return 1 + std::size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(at), '\n'));
}

std::string_view firstWord(std::string_view line)
{
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    line.remove_prefix(start);
    return line.substr(0, line.find_first_of(" \t"));
}

std::string_view restAfterWord(std::string_view line)
{
    std::string_view word = firstWord(line);
    line.remove_prefix(std::size_t(word.data() + word.size() - line.data()));
    const std::size_t start = line.find_first_not_of(" \t");
    return start == std::string_view::npos ? std::string_view() : line.substr(start);
}

// The reader tells statements by their first letters: "bumpy" is "bump" to it.
bool isTextureStatement(std::string_view word)
{
    for (std::string_view statement : {"map_", "bump", "norm", "disp", "decal", "refl"}) {
        if (word.substr(0, statement.size()) == statement)
            return true;
    }
    return false;
}

std::optional<std::string> textureBeforeMaterial(std::string_view mtl, const std::string& name)
{
    for (std::string_view line : lines(mtl)) {
        const std::string_view word = firstWord(line);
        if (word == "newmtl")
            break;
        if (isTextureStatement(word))
            return "the material file " + name + " names a texture before its first material (line " +
                   std::to_string(lineAt(mtl, std::size_t(line.data() - mtl.data()))) + ")";
    }
    return std::nullopt;
}

// The OBJ reader's material libraries: every "mtllib" statement. Any file
// may hold them, since the reader is tried on whatever the others refuse.
std::optional<std::string> objMaterialDamage(std::string_view obj, const std::string& directory)
{
    static constexpr std::string_view lineEnds("\n\r\f\0", 4);
    for (std::size_t at = obj.find("mtllib"); at != std::string_view::npos; at = obj.find("mtllib", at + 1)) {
        std::size_t start = at;
        while (start > 0 && (obj[start - 1] == ' ' || obj[start - 1] == '\t'))
            --start;
        if (start > 0 && lineEnds.find(obj[start - 1]) == std::string_view::npos)
            continue;  // not at the start of a line
        const std::string_view line = obj.substr(at, obj.find_first_of(lineEnds, at) - at);
        if (firstWord(line) != "mtllib")
            continue;
        // From memory there is no folder, and the reader reads the bytes themselves as the material file.
        if (directory.empty())
            return textureBeforeMaterial(obj, "(the file itself, read from memory)");
        const std::string name(restAfterWord(line));
        std::ifstream file(std::filesystem::path(directory) / name, std::ios::binary);
        if (!file)
            continue;  // the reader goes on without it
        const std::string mtl{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (auto damage = textureBeforeMaterial(mtl, "\"" + name + "\""))
            return damage;
    }
    return std::nullopt;
}

// Whether an element's start tag names the attribute: the name after white
// space, then "=" (white space around it allowed).
bool hasAttribute(std::string_view element, std::string_view name)
{
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    for (std::size_t at = element.find(name); at != std::string_view::npos; at = element.find(name, at + 1)) {
        std::size_t after = at + name.size();
        while (after < element.size() && space(element[after]))
            ++after;
        if (at > 0 && space(element[at - 1]) && after < element.size() && element[after] == '=')
            return true;
    }
    return false;
}

// Elements the schema gives a "count" (arrays, accessors) or a "semantic"
// and "source" (inputs) that lack one: the reader takes the missing
// attribute's text without looking.
std::optional<std::string> colladaAttributeDamage(std::string_view xml)
{
    const std::pair<const char*, std::vector<const char*>> required[] = {
        {"float_array", {"count"}}, {"int_array", {"count"}},  {"Name_array", {"count"}},
        {"bool_array", {"count"}},  {"IDREF_array", {"count"}}, {"accessor", {"count", "source"}},
        {"input", {"semantic", "source"}},
    };
    for (const auto& [tag, attributes] : required) {
        const std::string open = std::string("<").append(tag);
        for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
            const std::size_t after = at + open.size();
            if (after >= xml.size() || !(std::isspace(static_cast<unsigned char>(xml[after])) || xml[after] == '>' ||
                                         xml[after] == '/'))
                continue;  // another element whose name starts the same
            const std::string_view element = xml.substr(at, xml.find('>', at) - at);
            for (const char* attribute : attributes) {
                if (!hasAttribute(element, attribute))
                    return "the <" + std::string(tag) + "> element on line " + std::to_string(lineAt(xml, at)) +
                           " has no " + attribute + " attribute";
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> colladaIndexDamage(std::string_view xml)
{
    for (const char* tag : {"p", "v", "vcount"}) {
        const std::string open = std::string("<").append(tag).append(">");
        const std::string close = std::string("</").append(tag).append(">");
        for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
            const std::size_t start = at + open.size();
            const std::size_t end = xml.find(close, start);
            if (end == std::string_view::npos)
                break;
            for (char c : xml.substr(start, end - start)) {
                if (!std::isdigit(static_cast<unsigned char>(c)) && !std::isspace(static_cast<unsigned char>(c)))
                    return std::string("the index list ").append(open).append(" holds \"").append(1, c).append(
                        "\", which is not a number");
            }
        }
    }
    return std::nullopt;
}

// Bytes of one PLY scalar type; 0 for an unknown name.
std::size_t plyTypeSize(std::string_view type)
{
    if (type == "char" || type == "uchar" || type == "int8" || type == "uint8")
        return 1;
    if (type == "short" || type == "ushort" || type == "int16" || type == "uint16")
        return 2;
    if (type == "int" || type == "uint" || type == "float" || type == "int32" || type == "uint32" ||
        type == "float32")
        return 4;
    if (type == "double" || type == "float64")
        return 8;
    return 0;
}

struct PlyProperty {
    std::size_t size = 0;       // a scalar's size, or a list item's
    std::size_t countSize = 0;  // a list's count size; 0 for a scalar
};

struct PlyElement {
    std::uint64_t count = 0;
    std::vector<PlyProperty> properties;
};

std::optional<std::string> plyDataDamage(std::string_view bytes)
{
    // The reader takes a file whose "ply" follows blank lines too.
    bytes.remove_prefix(std::min(bytes.size(), bytes.find_first_not_of(" \t\r\n")));
    if (bytes.substr(0, 3) != "ply")
        return std::nullopt;  // the reader refuses it itself
    const std::size_t headerEnd = bytes.find("\nend_header");
    if (headerEnd == std::string_view::npos)
        return std::string("the header has no end_header line");
    // "end_header" is a line of its own; the reader would search on for its end forever.
    const std::size_t dataStart = headerEnd + std::string_view("\nend_header").size();
    const std::string_view lineEnd = bytes.substr(dataStart, 2);
    if (lineEnd.substr(0, 1) != "\n" && lineEnd != "\r\n")
        return std::string("the header's end_header line goes on");
    // The header is text; the reader would take a stray control byte (a zero
    // byte) in it for its end. Bytes from 0x80 on, as in a UTF-8 comment, it reads as letters.
    for (std::size_t i = 0; i < headerEnd; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if ((c < 0x20 && c != '\n' && c != '\r' && c != '\t') || c == 0x7f)
            return "the header holds a byte that is not text, on line " + std::to_string(lineAt(bytes, i));
    }
    bool binary = false;
    bool bigEndian = false;
    std::vector<PlyElement> elements;
    for (std::string_view line : lines(bytes.substr(0, headerEnd))) {
        std::istringstream words{std::string(line)};
        std::string word;
        words >> word;
        if (word == "format") {
            std::string kind;
            words >> kind;
            if (kind != "ascii" && kind != "binary_little_endian" && kind != "binary_big_endian")
                return "the header names the format \"" + kind + "\", not ascii or binary";
            binary = kind != "ascii";
            bigEndian = kind == "binary_big_endian";
        } else if (word == "element") {
            std::string name;
            PlyElement element;
            if (!(words >> name >> element.count))
                return std::nullopt;  // the reader's own error is clearer
            elements.push_back(element);
        } else if (word == "property" && !elements.empty()) {
            std::string type;
            words >> type;
            PlyProperty property;
            // The reader builds faces from a type it does not know and later frees them wrongly.
            std::string itemType = type;
            if (type == "list") {
                std::string countType;
                words >> countType >> itemType;
                property.countSize = plyTypeSize(countType);
                const bool integer = countType.find("float") == std::string::npos && countType != "double";
                if (property.countSize == 0 || property.countSize > 4 || !integer)
                    return "the header names \"" + countType + "\" as a list's count type, not an integer type";
            }
            property.size = plyTypeSize(itemType);
            if (property.size == 0)
                return "the header names the unknown property type \"" + itemType + "\"";
            elements.back().properties.push_back(property);
        }
    }
    if (!binary)
        return std::nullopt;

    if (elements.empty())
        return std::string("the header declares no elements");
    // Walk the data as the header lays it out, reading only the list counts.
    const std::string_view data = bytes.substr(dataStart + lineEnd.find('\n') + 1);
    std::uint64_t at = 0;
    const auto damaged = [&] {
        return "the binary data ends before the elements its header declares (" + std::to_string(data.size()) +
               " bytes of data)";
    };
    for (const PlyElement& element : elements) {
        bool hasList = false;
        std::uint64_t rowSize = 0;
        for (const PlyProperty& property : element.properties) {
            hasList = hasList || property.countSize != 0;
            rowSize += property.size;
        }
        if (!hasList) {
            // Rows of one size: no need to visit them.
            if (rowSize != 0 && element.count > (data.size() - at) / rowSize)
                return damaged();
            at += element.count * rowSize;
            continue;
        }
        // Every row holds at least one list count, so this ends within the data.
        for (std::uint64_t row = 0; row < element.count; ++row) {
            for (const PlyProperty& property : element.properties) {
                if (property.countSize == 0) {
                    at += property.size;
                } else {
                    if (at + property.countSize > data.size())
                        return damaged();
                    std::uint64_t items = 0;
                    for (std::size_t b = 0; b < property.countSize; ++b) {
                        const auto byte = static_cast<unsigned char>(data[at + (bigEndian ? b : property.countSize - 1 - b)]);
                        items = items << 8 | byte;
                    }
                    at += property.countSize + items * property.size;
                }
                if (at > data.size())
                    return damaged();
            }
        }
    }
    return std::nullopt;
}

std::uint32_t littleEndian32(std::string_view bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t b = 0; b < 4; ++b)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[at + b])) << (8 * b);
    return value;
}

// A binary glTF file's chunks, each of a length its header gives: the reader
// allocates that much before it reads, so a damaged length costs gigabytes.
std::optional<std::string> glbChunkDamage(std::string_view bytes)
{
    if (bytes.substr(0, 4) != "glTF" || bytes.size() < 12)
        return std::nullopt;
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::uint64_t length = littleEndian32(bytes, at);
        if (length > bytes.size() - at - 8)
            return "a chunk at byte " + std::to_string(at) + " claims " + std::to_string(length) +
                   " bytes, more than the file holds";
        at += 8 + std::size_t(length);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> damageBeforeReading(std::string_view bytes, const std::string& directory)
{
    // By content, not by name: when the reader the name picks refuses a
    // file, the model reader tries every other one that recognises it.
    if (auto damage = objMaterialDamage(bytes, directory))
        return damage;
    if (bytes.find("<COLLADA") != std::string_view::npos) {
        if (auto damage = colladaAttributeDamage(bytes))
            return damage;
        if (auto damage = colladaIndexDamage(bytes))
            return damage;
    }
    if (auto damage = glbChunkDamage(bytes))
        return damage;
    return plyDataDamage(bytes);
}

}  // namespace qm
