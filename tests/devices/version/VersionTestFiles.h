#pragma once

// The committed fixture executables, little-endian field access for damaging
// copies of them, and random damage for the fuzz tests.

#include <gtest/gtest.h>

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

inline Bytes readFixture(const std::string& name) {
    std::ifstream in(fixturePath(name), std::ios::binary);
    Bytes bytes;
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        bytes.push_back(static_cast<std::byte>(*it));
    }
    return bytes;
}

// The little-endian field of `Size` bytes at `at`.
template <std::size_t Size>
std::uint32_t get(const Bytes& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = Size; i-- > 0;) {
        value = (value << 8) | std::to_integer<std::uint32_t>(bytes.at(at + i));
    }
    return value;
}

template <std::size_t Size>
void put(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < Size; ++i) {
        bytes.at(at + i) = static_cast<std::byte>(value >> (8 * i));
    }
}

// Text as bytes, each character widened to `width` bytes (2 for UTF-16).
inline Bytes bytesOf(std::string_view text, std::size_t width = 1) {
    Bytes bytes;
    for (const char c : text) {
        bytes.push_back(static_cast<std::byte>(c));
        bytes.insert(bytes.end(), width - 1, std::byte{0});
    }
    return bytes;
}

// Position of the first occurrence of pattern, or npos.
inline std::size_t find(const Bytes& bytes, const Bytes& pattern) {
    const auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
    return it == bytes.end() ? std::string::npos : static_cast<std::size_t>(it - bytes.begin());
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
                put<4>(image, at, kExtremes[below(std::size(kExtremes))]);
                break;
        }
    }
    if (below(10) == 0) {
        image.resize(below(image.size() + 1));
    }
    return exactCopy(image);
}

// Cut copies give no version while shorter than `whole`, and from there no
// version or the right one.
template <typename Reader>
void expectCutCopiesRead(Reader read, const Bytes& bytes, std::size_t whole,
                         const FourPartVersion& version) {
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const auto found = read(exactCopy(std::span(bytes).first(length)));
        if (length < whole) {
            ASSERT_EQ(found, std::nullopt) << "cut at " << length;
        } else {
            ASSERT_TRUE(found == std::nullopt || found == version) << "cut at " << length;
        }
    }
}

// Every mutation of the fixture is read without a crash; with `readable`,
// some mutations must leave the version readable and others must not, so
// that the damage reached both the headers and the rest.
template <typename Reader>
void expectMutationsSurvived(Reader read, const std::string& fixture, std::mt19937& random,
                             bool readable = true) {
    const Bytes original = readFixture(fixture);
    int withVersion = 0;
    for (int i = 0; i < 3000; ++i) {
        if (read(mutate(original, random))) ++withVersion;
    }
    if (readable) {
        EXPECT_GT(withVersion, 0) << fixture << ": mutations never left the version readable";
        EXPECT_LT(withVersion, 3000) << fixture << ": no mutation ever hit the headers";
    }
}

}  // namespace dravel::devices::testing
