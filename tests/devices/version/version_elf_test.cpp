#include <gtest/gtest.h>

#include <random>

#include "devices/version/FileVersion.h"
#include "devices/version/VersionTestFiles.h"

namespace dravel::devices {
namespace {

using namespace testing;

const FourPartVersion kVersion3456{{3, 4, 5, 6}};

TEST(ElfVersionNote, FoundThroughNoteSegmentOrSectionTable) {
    EXPECT_EQ(readElfVersionNote(readFixture("elf64_version_3_4_5_6")), kVersion3456);
    EXPECT_EQ(readElfVersionNote(readFixture("elf32_version_3_4_5_6")), kVersion3456);
    EXPECT_EQ(readElfVersionNote(readFixture("elf64_section_note_3_4_5_6")), kVersion3456);
}

TEST(ElfVersionNote, FindsNoVersionWhereThereIsNone) {
    EXPECT_EQ(readElfVersionNote(readFixture("elf64_no_note")), std::nullopt);
    EXPECT_EQ(readElfVersionNote(readFixture("pe64_version_1_6_1_2.exe")), std::nullopt);
    EXPECT_EQ(readElfVersionNote({}), std::nullopt);
}

// The fixture with its note's description, for precise damage.
struct ElfFixture {
    Bytes bytes;
    std::size_t owner = find(bytes, asciiBytes(std::string_view("Dravel\0", 8)));
    std::size_t noteHeader = owner - 12;
    std::size_t description = owner + 8;
};

ElfFixture elf64() {
    return {readFixture("elf64_version_3_4_5_6")};
}

TEST(ElfVersionNote, RejectsDamagedHeaders) {
    auto bigEndian = elf64();
    bigEndian.bytes[5] = std::byte{2};
    EXPECT_EQ(readElfVersionNote(bigEndian.bytes), std::nullopt);
    auto unknownClass = elf64();
    unknownClass.bytes[4] = std::byte{3};
    EXPECT_EQ(readElfVersionNote(unknownClass.bytes), std::nullopt);
    auto tablesOutside = elf64();
    putU32(tablesOutside.bytes, 32, 0xFFFFFFF0);  // program headers
    putU32(tablesOutside.bytes, 40, 0xFFFFFFF0);  // section headers
    EXPECT_EQ(readElfVersionNote(tablesOutside.bytes), std::nullopt);
    auto entriesTooSmall = elf64();
    putU16(entriesTooSmall.bytes, 54, 8);
    putU16(entriesTooSmall.bytes, 58, 8);
    EXPECT_EQ(readElfVersionNote(entriesTooSmall.bytes), std::nullopt);
}

TEST(ElfVersionNote, SectionTableStandsInForADamagedSegmentTable) {
    auto fixture = elf64();
    putU32(fixture.bytes, 32, 0xFFFFFFF0);
    EXPECT_EQ(readElfVersionNote(fixture.bytes), kVersion3456);
}

TEST(ElfVersionNote, RejectsDamagedNotes) {
    auto partTooLarge = elf64();
    putU32(partTooLarge.bytes, partTooLarge.description + 8, 0x10000);
    EXPECT_EQ(readElfVersionNote(partTooLarge.bytes), std::nullopt);
    auto hugeName = elf64();
    putU32(hugeName.bytes, hugeName.noteHeader, 0xFFFFFFFF);
    EXPECT_EQ(readElfVersionNote(hugeName.bytes), std::nullopt);
    auto hugeDescription = elf64();
    putU32(hugeDescription.bytes, hugeDescription.noteHeader + 4, 0xFFFFFFFC);
    EXPECT_EQ(readElfVersionNote(hugeDescription.bytes), std::nullopt);
    auto otherType = elf64();
    putU32(otherType.bytes, otherType.noteHeader + 8, 2);
    EXPECT_EQ(readElfVersionNote(otherType.bytes), std::nullopt);
    auto otherOwner = elf64();
    otherOwner.bytes[otherOwner.owner] = std::byte{'d'};
    EXPECT_EQ(readElfVersionNote(otherOwner.bytes), std::nullopt);
}

TEST(ElfVersionNote, ReadsTheLargestPartsAsTheyAre) {
    auto fixture = elf64();
    putU32(fixture.bytes, fixture.description, 0xFFFF);
    putU32(fixture.bytes, fixture.description + 4, 0);
    EXPECT_EQ(readElfVersionNote(fixture.bytes), (FourPartVersion{{65535, 0, 5, 6}}));
}

TEST(ElfVersionNote, TruncatedCopiesGiveNoVersionUntilTheNoteIsWhole) {
    const auto fixture = elf64();
    const std::size_t noteEnd = fixture.description + 16;
    for (std::size_t length = 0; length < fixture.bytes.size(); ++length) {
        const auto version = readElfVersionNote(exactCopy(std::span(fixture.bytes).first(length)));
        if (length < noteEnd) {
            ASSERT_EQ(version, std::nullopt) << "cut at " << length;
        } else {
            ASSERT_TRUE(version == std::nullopt || version == kVersion3456) << "cut at " << length;
        }
    }
}

TEST(ElfVersionNote, SurvivesThousandsOfRandomMutations) {
    std::mt19937 random(7031);
    for (const char* name : {"elf64_version_3_4_5_6", "elf32_version_3_4_5_6"}) {
        const Bytes original = readFixture(name);
        int withVersion = 0;
        int without = 0;
        for (int i = 0; i < 3000; ++i) {
            (readElfVersionNote(mutate(original, random)) ? withVersion : without)++;
        }
        EXPECT_GT(withVersion, 0) << name;
        EXPECT_GT(without, 0) << name;
    }
}

}  // namespace
}  // namespace dravel::devices
