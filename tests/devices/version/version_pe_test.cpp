#include <gtest/gtest.h>

#include <random>

#include "devices/version/FileVersion.h"
#include "devices/version/VersionTestFiles.h"

namespace dravel::devices {
namespace {

using namespace testing;

const FourPartVersion kVersion1612{{1, 6, 1, 2}};
const FourPartVersion kVersion21007{{2, 10, 0, 7}};

TEST(PeVersionReader, ReadsTheFileVersionOfBothImageFormats) {
    EXPECT_EQ(readPeFileVersion(readFixture("pe64_version_1_6_1_2.exe")), kVersion1612);
    EXPECT_EQ(readPeFileVersion(readFixture("pe32_version_2_10_0_7.exe")), kVersion21007);
}

TEST(PeVersionReader, FindsNoVersionWhereThereIsNone) {
    EXPECT_EQ(readPeFileVersion(readFixture("pe64_no_resources.exe")), std::nullopt);
    EXPECT_EQ(readPeFileVersion(readFixture("pe64_other_resources.exe")), std::nullopt);
    EXPECT_EQ(readPeFileVersion({}), std::nullopt);
    EXPECT_EQ(readPeFileVersion(readFixture("elf64_version_3_4_5_6")), std::nullopt);
}

// Offsets in the 1.6.1.2 fixture, found the way a reader finds them, for precise damage.
struct PeFixture {
    Bytes bytes = readFixture("pe64_version_1_6_1_2.exe");
    std::size_t coff = getU32(bytes, 0x3C);
    std::size_t optionalHeader = coff + 24;
    std::size_t resourceDirectoryEntry = optionalHeader + 112 + 2 * 8;
    std::size_t resources = resourceFileOffset();
    std::size_t versionBlock = find(bytes, fixedInfoOf1612()) - 40;

    static Bytes fixedInfoOf1612() {
        Bytes signatureAndVersion = asciiBytes("\xBD\x04\xEF\xFE");
        const Bytes rest = {std::byte{0}, std::byte{0}, std::byte{1}, std::byte{0},
                            std::byte{6}, std::byte{0}, std::byte{1}, std::byte{0},
                            std::byte{2}, std::byte{0}, std::byte{1}, std::byte{0}};
        signatureAndVersion.insert(signatureAndVersion.end(), rest.begin(), rest.end());
        return signatureAndVersion;
    }

    std::size_t resourceFileOffset() const {
        const std::size_t sections = optionalHeader + getU16(bytes, coff + 20);
        for (std::size_t i = 0; i < getU16(bytes, coff + 6); ++i) {
            if (find(
                    Bytes(bytes.begin() + sections + 40 * i, bytes.begin() + sections + 40 * i + 8),
                    asciiBytes(".rsrc")) == 0) {
                return getU32(bytes, sections + 40 * i + 20);
            }
        }
        return std::string::npos;
    }

    // The root directory's entry for the version type (the last of its ID entries).
    std::size_t versionTypeEntry() const {
        const std::size_t count = getU16(bytes, resources + 12) + getU16(bytes, resources + 14);
        return resources + 16 + 8 * (count - 1);
    }
};

TEST(PeVersionReader, FixtureOffsetsAreWhatTheDamageTestsAssume) {
    const PeFixture pe;
    ASSERT_LT(pe.versionBlock, pe.bytes.size());
    ASSERT_LT(pe.resources, pe.bytes.size());
    EXPECT_EQ(getU32(pe.bytes, pe.versionTypeEntry()), 16u);
    EXPECT_LT(find(pe.bytes, utf16Bytes("VS_VERSION_INFO")), pe.versionBlock)
        << "the named decoy version resource lies before the real one";
}

template <typename Damage>
std::optional<FourPartVersion> versionAfter(Damage damage) {
    PeFixture pe;
    damage(pe);
    return readPeFileVersion(exactCopy(pe.bytes));
}

TEST(PeVersionReader, RejectsDamagedHeaders) {
    EXPECT_EQ(versionAfter([](PeFixture& pe) { pe.bytes[0] = std::byte{'N'}; }), std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU32(pe.bytes, 0x3C, 0xFFFFFFFF); }),
              std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU32(pe.bytes, 0x3C, pe.bytes.size() - 8); }),
              std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.coff + 6, 0xFFFF); }),
              std::nullopt)
        << "section table running past the end";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.coff + 6, 0); }), std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.coff + 20, 0); }), std::nullopt)
        << "no optional header";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.coff + 20, 0xFFFF); }),
              std::nullopt)
        << "optional header running past the end";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.optionalHeader, 0x107); }),
              std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU32(pe.bytes, pe.optionalHeader + 108, 2); }),
              std::nullopt)
        << "too few data directories for the resource directory";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU32(pe.bytes, pe.resourceDirectoryEntry, 0); }),
              std::nullopt)
        << "resource directory outside every section";
    EXPECT_EQ(versionAfter([](PeFixture& pe) {
                  putU32(pe.bytes, pe.resourceDirectoryEntry + 4, 0xFFFFFFFF);
              }),
              std::nullopt);
}

TEST(PeVersionReader, RejectsDamagedResourceTree) {
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.resources + 14, 0xFFFF); }),
              std::nullopt)
        << "entry count running past the end";
    EXPECT_EQ(versionAfter(
                  [](PeFixture& pe) { putU32(pe.bytes, pe.versionTypeEntry() + 4, 0x80000000); }),
              std::nullopt)
        << "version type pointing back at the root";
    EXPECT_EQ(versionAfter(
                  [](PeFixture& pe) { putU32(pe.bytes, pe.versionTypeEntry() + 4, 0xFFFFFFFF); }),
              std::nullopt);
    EXPECT_EQ(versionAfter([](PeFixture& pe) {
                  putU32(pe.bytes, pe.versionTypeEntry() + 4,
                         getU32(pe.bytes, pe.versionTypeEntry() + 4) & 0x7FFFFFFF);
              }),
              std::nullopt)
        << "a leaf where a directory belongs";
}

TEST(PeVersionReader, RejectsDamagedVersionBlock) {
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.versionBlock, 0xFFFF); }),
              std::nullopt)
        << "block longer than its resource";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.versionBlock, 60); }),
              std::nullopt)
        << "block too short for the fixed part";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { putU16(pe.bytes, pe.versionBlock + 2, 0); }),
              std::nullopt)
        << "no fixed part";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { pe.bytes[pe.versionBlock + 6] = std::byte{'W'}; }),
              std::nullopt)
        << "wrong key";
    EXPECT_EQ(versionAfter([](PeFixture& pe) { pe.bytes[pe.versionBlock + 40] = std::byte{0}; }),
              std::nullopt)
        << "wrong signature";
    const auto changed = versionAfter(
        [](PeFixture& pe) { putU32(pe.bytes, pe.versionBlock + 40 + 12, 0x00FF0009); });
    EXPECT_EQ(changed, (FourPartVersion{{1, 6, 255, 9}})) << "reads the low word where it lies";
}

TEST(PeVersionReader, TruncatedCopiesGiveNoVersionUntilTheFixedPartIsWhole) {
    const PeFixture pe;
    const std::size_t fixedPartEnd = pe.versionBlock + 40 + 52;
    for (std::size_t length = 0; length < pe.bytes.size(); ++length) {
        const auto version = readPeFileVersion(exactCopy(std::span(pe.bytes).first(length)));
        if (length < fixedPartEnd) {
            ASSERT_EQ(version, std::nullopt) << "cut at " << length;
        } else {
            ASSERT_TRUE(version == std::nullopt || version == kVersion1612) << "cut at " << length;
        }
    }
}

TEST(PeVersionReader, SurvivesThousandsOfRandomMutations) {
    std::mt19937 random(20240611);
    for (const char* name :
         {"pe64_version_1_6_1_2.exe", "pe32_version_2_10_0_7.exe", "pe64_other_resources.exe"}) {
        const Bytes original = readFixture(name);
        int withVersion = 0;
        int without = 0;
        for (int i = 0; i < 3000; ++i) {
            const Bytes mutant = mutate(original, random);
            (readPeFileVersion(mutant) ? withVersion : without)++;
        }
        if (std::string(name) != "pe64_other_resources.exe") {
            EXPECT_GT(withVersion, 0) << name << ": mutations never left the version readable";
            EXPECT_GT(without, 0) << name << ": no mutation ever hit the headers";
        }
    }
}

}  // namespace
}  // namespace dravel::devices
