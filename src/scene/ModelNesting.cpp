#include "ModelNesting.h"

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

bool asciiNestsDeeperThan(std::string_view file, int bound)
{
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < file.size(); ++i) {
        const char c = file[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == ';') {  // a comment runs to the line end
            while (i + 1 < file.size() && file[i + 1] != '\n' && file[i + 1] != '\r')
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
    return asciiNestsDeeperThan(file, bound);
}

}  // namespace qm
