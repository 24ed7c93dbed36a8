#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qm {

static_assert(std::endian::native == std::endian::little, "the data files are written little-endian as they lie");

// The bytes of a string, as the readers and checksums take them.
inline std::span<const std::uint8_t> asBytes(std::string_view s)
{
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

// Appends plain values to a byte string: numbers as they lie in memory,
// arrays and strings after their element count (64 bits).
class ByteWriter {
public:
    template <typename T>
    void value(const T& v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    template <typename T>
    void array(std::span<const T> values)
    {
        value(std::uint64_t(values.size()));
        bytes.append(reinterpret_cast<const char*>(values.data()), values.size_bytes());
    }
    template <typename T>
    void array(const std::vector<T>& values) { array(std::span<const T>(values)); }
    void text(std::string_view s) { array(std::span<const char>(s.data(), s.size())); }

    std::string bytes;
};

// Reads what ByteWriter wrote, never past its end: a count that the bytes
// left cannot hold fails the read (before anything is allocated for it),
// and every later read then fails too. Check ok() at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data(data) {}

    template <typename T>
    T value()
    {
        static_assert(std::is_trivially_copyable_v<T>);
        T v{};
        if (take(sizeof v))
            std::memcpy(&v, data.data() + position - sizeof v, sizeof v);
        return v;
    }
    template <typename T>
    std::vector<T> array()
    {
        const std::uint64_t count = value<std::uint64_t>();
        if (count > (data.size() - position) / sizeof(T)) {
            failed = true;
            return {};
        }
        std::vector<T> values(static_cast<std::size_t>(count));
        if (take(values.size() * sizeof(T)) && !values.empty())
            std::memcpy(values.data(), data.data() + position - values.size() * sizeof(T), values.size() * sizeof(T));
        return values;
    }
    std::string text()
    {
        const std::vector<char> chars = array<char>();
        return {chars.begin(), chars.end()};
    }
    // `size` bytes as they lie, without a copy.
    std::span<const std::uint8_t> bytes(std::uint64_t size)
    {
        if (size > data.size() - position) {
            failed = true;
            return {};
        }
        if (!take(std::size_t(size)))
            return {};
        return data.subspan(position - std::size_t(size), std::size_t(size));
    }
    // A count of records that follow, each at least `minimumSize` bytes.
    std::size_t count(std::size_t minimumSize)
    {
        const std::uint64_t n = value<std::uint64_t>();
        if (n > (data.size() - position) / minimumSize) {
            failed = true;
            return 0;
        }
        return static_cast<std::size_t>(n);
    }

    bool ok() const { return !failed; }
    bool atEnd() const { return position == data.size(); }
    void fail() { failed = true; }

private:
    bool take(std::size_t size)
    {
        if (failed || size > data.size() - position) {
            failed = true;
            return false;
        }
        position += size;
        return true;
    }

    std::span<const std::uint8_t> data;
    std::size_t position = 0;
    bool failed = false;
};

}  // namespace qm
