#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "devices/version/FileVersion.h"

namespace dravel::devices::testing {

using Bytes = std::vector<std::byte>;

inline std::string fixturePath(const std::string& name) {
    return std::string(DRAVEL_VERSION_FIXTURES) + "/" + name;
}

inline Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> chars{std::istreambuf_iterator<char>(in), {}};
    Bytes bytes(chars.size());
    for (std::size_t i = 0; i < chars.size(); ++i) {
        bytes[i] = static_cast<std::byte>(chars[i]);
    }
    return bytes;
}

inline Bytes readFixture(const std::string& name) {
    return readFile(fixturePath(name));
}

inline std::uint32_t getU32(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;) {
        value = (value << 8) | std::to_integer<std::uint32_t>(bytes.at(at + i));
    }
    return value;
}

inline std::uint16_t getU16(const Bytes& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(bytes.at(at)) |
                                      std::to_integer<unsigned>(bytes.at(at + 1)) << 8);
}

inline void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<std::byte>(value >> (8 * i));
    }
}

inline void putU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
    bytes.at(at) = static_cast<std::byte>(value);
    bytes.at(at + 1) = static_cast<std::byte>(value >> 8);
}

// Position of the first occurrence of pattern, or npos.
inline std::size_t find(const Bytes& bytes, const Bytes& pattern) {
    const auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    return it == bytes.end() ? std::string::npos : static_cast<std::size_t>(it - bytes.begin());
}

inline Bytes asciiBytes(std::string_view text) {
    Bytes bytes;
    for (const char c : text) {
        bytes.push_back(static_cast<std::byte>(c));
    }
    return bytes;
}

inline Bytes utf16Bytes(std::string_view ascii) {
    Bytes bytes;
    for (const char c : ascii) {
        bytes.push_back(static_cast<std::byte>(c));
        bytes.push_back(std::byte{0});
    }
    return bytes;
}

// A copy in an allocation of exactly its size, so that the address sanitizer sees any read past
// its end (a shortened vector keeps its capacity, where such a read goes unnoticed).
inline Bytes exactCopy(std::span<const std::byte> bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

// Random damage of the kinds a broken copy produces and of the kinds that trip parsers: bytes set
// or flipped, 32-bit fields overwritten with extreme values, and now and then a cut.
inline Bytes mutate(Bytes image, std::mt19937& random) {
    const auto below = [&random](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    static constexpr std::uint32_t kExtremes[] = {0,          1,      0x7FFFFFFF, 0x80000000,
                                                  0xFFFFFFFF, 0xFFFF, 0x10000,    0x80000018};
    const std::size_t edits = 1 + below(6);
    for (std::size_t e = 0; e < edits && image.size() > 4; ++e) {
        const std::size_t at = below(image.size() - 4);
        switch (below(3)) {
            case 0:
                image[at] = static_cast<std::byte>(below(256));
                break;
            case 1:
                image[at] ^= static_cast<std::byte>(1u << below(8));
                break;
            default:
                putU32(image, at, kExtremes[below(std::size(kExtremes))]);
                break;
        }
    }
    if (below(10) == 0) {
        image.resize(below(image.size() + 1));
    }
    return exactCopy(image);
}

}  // namespace dravel::devices::testing
