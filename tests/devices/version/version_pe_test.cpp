#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "devices/version/FileVersion.h"
#include "devices/version/VersionTestFiles.h"

namespace dravel::devices {
namespace {

using namespace testing;

const FourPartVersion kVersion1612{{1, 6, 1, 2}};

TEST(PeVersionReader, ReadsTheFileVersionOfBothImageFormatsOrNone) {
    EXPECT_EQ(readPeFileVersion(readFixture("pe64_version_1_6_1_2.exe")), kVersion1612);
    EXPECT_EQ(readPeFileVersion(readFixture("pe32_version_2_10_0_7.exe")),
              (FourPartVersion{{2, 10, 0, 7}}));
    for (const char* name :
         {"pe64_no_resources.exe", "pe64_other_resources.exe", "elf64_version_3_4_5_6"}) {
        EXPECT_EQ(readPeFileVersion(readFixture(name)), std::nullopt) << name;
    }
    EXPECT_EQ(readPeFileVersion({}), std::nullopt);
}

// Offsets in the 1.6.1.2 fixture, found the way a reader finds them, for precise damage.
struct PeFixture {
    Bytes bytes = readFixture("pe64_version_1_6_1_2.exe");
    std::size_t coff = get<4>(bytes, 0x3C);
    std::size_t optionalHeader = coff + 24;
    std::size_t resourceDirectoryEntry = optionalHeader + 112 + 2 * 8;
    std::size_t resources = resourceFileOffset();
    // The fixed part's signature and file version 1.6.1.2 lie 40 bytes into the block.
    std::size_t versionBlock =
        find(bytes, bytesOf(std::string_view("\xBD\x04\xEF\xFE\0\0\1\0\6\0\1\0\2\0\1\0", 16))) - 40;

    std::size_t resourceFileOffset() const {
        const std::size_t sections = optionalHeader + get<2>(bytes, coff + 20);
        for (std::size_t i = 0; i < get<2>(bytes, coff + 6); ++i) {
            const std::size_t header = sections + 40 * i;
            if (Bytes(bytes.begin() + header, bytes.begin() + header + 5) == bytesOf(".rsrc")) {
                return get<4>(bytes, header + 20);
            }
        }
        return std::string::npos;
    }

    // The root directory's entry for the version type (the last of its ID entries).
    std::size_t versionTypeEntry() const {
        const std::size_t count = get<2>(bytes, resources + 12) + get<2>(bytes, resources + 14);
        return resources + 16 + 8 * (count - 1);
    }
};

TEST(PeVersionReader, RejectsDamagedHeadersResourceTreeAndVersionBlock) {
    const PeFixture pe;
    ASSERT_LT(pe.versionBlock, pe.bytes.size());
    ASSERT_LT(pe.resources, pe.bytes.size());
    ASSERT_EQ(get<4>(pe.bytes, pe.versionTypeEntry()), 16u);
    ASSERT_LT(find(pe.bytes, bytesOf("VS_VERSION_INFO", 2)), pe.versionBlock)
        << "the named decoy version resource lies before the real one";

    using F = PeFixture&;
    const std::pair<const char*, std::function<void(F)>> damages[] = {
        {"no MZ", [](F f) { f.bytes[0] = std::byte{'N'}; }},
        {"header offset outside", [](F f) { put<4>(f.bytes, 0x3C, 0xFFFFFFFF); }},
        {"header at the end", [](F f) { put<4>(f.bytes, 0x3C, f.bytes.size() - 8); }},
        {"section table past the end", [](F f) { put<2>(f.bytes, f.coff + 6, 0xFFFF); }},
        {"no sections", [](F f) { put<2>(f.bytes, f.coff + 6, 0); }},
        {"no optional header", [](F f) { put<2>(f.bytes, f.coff + 20, 0); }},
        {"optional header past the end", [](F f) { put<2>(f.bytes, f.coff + 20, 0xFFFF); }},
        {"unknown optional header", [](F f) { put<2>(f.bytes, f.optionalHeader, 0x107); }},
        {"too few data directories", [](F f) { put<4>(f.bytes, f.optionalHeader + 108, 2); }},
        {"resources outside every section",
         [](F f) { put<4>(f.bytes, f.resourceDirectoryEntry, 0); }},
        {"resources too long", [](F f) { put<4>(f.bytes, f.resourceDirectoryEntry + 4, ~0u); }},
        {"entry count past the end", [](F f) { put<2>(f.bytes, f.resources + 14, 0xFFFF); }},
        {"version type pointing back at the root",
         [](F f) { put<4>(f.bytes, f.versionTypeEntry() + 4, 0x80000000); }},
        {"version type pointing outside",
         [](F f) { put<4>(f.bytes, f.versionTypeEntry() + 4, ~0u); }},
        {"a leaf where a directory belongs",
         [](F f) {
             const std::size_t at = f.versionTypeEntry() + 4;
             put<4>(f.bytes, at, get<4>(f.bytes, at) & 0x7FFFFFFF);
         }},
        {"block longer than its resource", [](F f) { put<2>(f.bytes, f.versionBlock, 0xFFFF); }},
        {"block too short for the fixed part", [](F f) { put<2>(f.bytes, f.versionBlock, 60); }},
        {"no fixed part", [](F f) { put<2>(f.bytes, f.versionBlock + 2, 0); }},
        {"wrong key", [](F f) { f.bytes[f.versionBlock + 6] = std::byte{'W'}; }},
        {"wrong signature", [](F f) { f.bytes[f.versionBlock + 40] = std::byte{0}; }},
    };
    for (const auto& [what, damage] : damages) {
        PeFixture damaged;
        damage(damaged);
        EXPECT_EQ(readPeFileVersion(exactCopy(damaged.bytes)), std::nullopt) << what;
    }

    PeFixture changed;  // the low word of the second half lies first
    put<4>(changed.bytes, changed.versionBlock + 40 + 12, 0x00FF0009);
    EXPECT_EQ(readPeFileVersion(changed.bytes), (FourPartVersion{{1, 6, 255, 9}}));
}

TEST(PeVersionReader, TruncatedCopiesGiveNoVersionUntilTheFixedPartIsWhole) {
    const PeFixture pe;
    ASSERT_NO_FATAL_FAILURE(
        expectCutCopiesRead(readPeFileVersion, pe.bytes, pe.versionBlock + 40 + 52, kVersion1612));
}

TEST(PeVersionReader, SurvivesThousandsOfRandomMutations) {
    std::mt19937 random(20240611);
    expectMutationsSurvived(readPeFileVersion, "pe64_version_1_6_1_2.exe", random);
    expectMutationsSurvived(readPeFileVersion, "pe32_version_2_10_0_7.exe", random);
    expectMutationsSurvived(readPeFileVersion, "pe64_other_resources.exe", random, false);
}

}  // namespace
}  // namespace dravel::devices
